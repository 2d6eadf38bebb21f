// The serial line behind serial_port_fuzzed.cpp: a device whose every answer, and its timing, comes from fuzz input.
//
// fuzz_device_replies links serial_port_fuzzed.cpp instead of the platform's
// backend and feeds the input through fuzzed_line(). The input is a run of
// exchanges, each framed by its length so that a change inside one leaves the
// others where they were:
//
//   exchange := command fault_low fault_high length_low length_high reply[length]
//   command  := kind (its low two bits: an Exchange), then the choice: the
//               model of a version query, read or write (choice % kModelMax + 1)
//               or the tone (choice % 4)
//   fault    := 16 bits: 0, or one port operation of the exchange that fails:
//               the (fault >> 2)-th open or written byte, counted from 1,
//               fails as kFaultOutcomes[fault & 3] says
//   reply    := burst*, consumed only by reads of an open port
//   burst    := head gap byte[head & 63]
//               the bytes arrive gap % kReadTimeoutMs ms apart (always within
//               the read time-out); the read after the last byte gives, by
//               head >> 6, a BurstEnd
//
// Past the end of an exchange's replies the device is silent. An open drops
// the rest of a burst a former opening left unread, as a line nobody listened
// to loses what came over it. Nothing sleeps: reads, writes and sleep_ms move
// the virtual clock as the simulated line does (a quiet read: + kReadTimeoutMs;
// a written byte: + its pause, or kWriteTimeoutMs when the line stays full;
// sleep_ms: + ms).
//
// The functions below are the format, both ways: the line and the target read
// inputs with them, make_device_reply_seeds writes its seeds with them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/serial_port.h"
#include "model/device_models.h"

namespace qv3::fuzzed {

enum Exchange : uint8_t { VersionOnly, Read, Write, Tone };  // unscoped: it indexes the target's tables

// An exchange's command: a model (1 to kModelMax) for a query, read or write, a tone (0 to 3) for a tone.
struct Command {
    Exchange kind = VersionOnly;
    int choice = 1;
};

constexpr Command read_command(uint8_t byte) {
    const auto kind = static_cast<Exchange>(byte & 3);
    return {kind, kind == Tone ? (byte >> 2) % 4 : (byte >> 2) % kModelMax + 1};
}

constexpr uint8_t command_byte(Command command) {
    const int choice = command.kind == Tone ? command.choice : command.choice - 1;
    return static_cast<uint8_t>(static_cast<int>(command.kind) | choice << 2);
}

// How the chosen port operation fails: for an open, and for a written byte.
struct FaultOutcome {
    PortOutcome open;
    PortOutcome write;
};
inline constexpr FaultOutcome kFaultOutcomes[4] = {
    {PortOutcome::Busy, PortOutcome::NothingInTime},
    {PortOutcome::NotFound, PortOutcome::Gone},
    {PortOutcome::SettingsRefused, PortOutcome::Failed},
    {PortOutcome::NoPermission, PortOutcome::Gone},
};

// The fault field that fails the operation-th open or written byte (from 1) as kFaultOutcomes[row] says.
constexpr uint16_t fault_field(int operation, int row) { return static_cast<uint16_t>(operation << 2 | row); }
constexpr int fault_operation(unsigned field) { return static_cast<int>(field >> 2); }
constexpr FaultOutcome fault_outcome(unsigned field) { return kFaultOutcomes[field & 3]; }

// What the read after a burst's last byte gives: nothing in time (the device
// falls quiet), the next burst's first byte at once, Failed, or Gone.
enum class BurstEnd : uint8_t { Quiet, Continues, Failed, Gone };
constexpr int kMaxBurstBytes = 63;

constexpr uint8_t burst_head(BurstEnd end, size_t count) {
    return static_cast<uint8_t>(static_cast<unsigned>(end) << 6 | count);
}
constexpr int burst_count(uint8_t head) { return head & kMaxBurstBytes; }
constexpr BurstEnd burst_end(uint8_t head) { return static_cast<BurstEnd>(head >> 6); }
constexpr int burst_gap_ms(uint8_t gap) { return gap % kReadTimeoutMs; }

constexpr size_t kExchangeHeadBytes = 5;  // command, fault, length

// Appends an exchange's command and fault, its length left for end_exchange_bytes; returns where it begins.
inline size_t begin_exchange_bytes(std::vector<uint8_t>& input, Command command, uint16_t fault) {
    input.insert(input.end(), {command_byte(command), static_cast<uint8_t>(fault & 0xFF),
                               static_cast<uint8_t>(fault >> 8), 0, 0});
    return input.size() - kExchangeHeadBytes;
}

// Fills in the length of the exchange begun at `at` with what was appended since.
inline void end_exchange_bytes(std::vector<uint8_t>& input, size_t at) {
    const size_t length = input.size() - at - kExchangeHeadBytes;
    input[at + 3] = static_cast<uint8_t>(length & 0xFF);
    input[at + 4] = static_cast<uint8_t>(length >> 8);
}

// Appends what one drain reads: the bytes gap_ms apart, in as many bursts as
// they need, then `end`.
inline void append_reply(std::vector<uint8_t>& input, const std::vector<uint8_t>& bytes, int gap_ms, BurstEnd end) {
    size_t at = 0;
    do {
        const size_t count = std::min<size_t>(kMaxBurstBytes, bytes.size() - at);
        const BurstEnd how = at + count == bytes.size() ? end : BurstEnd::Continues;
        input.insert(input.end(), {burst_head(how, count), static_cast<uint8_t>(gap_ms)});
        input.insert(input.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
        at += count;
    } while (at < bytes.size());
}

struct FuzzedLine {
    const uint8_t* input = nullptr;
    size_t input_size = 0;
    size_t position = 0;       // next input byte
    size_t exchange_end = 0;   // reads take no byte from here on

    int64_t now_ms = 0;  // the virtual clock

    bool is_open = false;
    PortHandle open_handle = kNoHandle;
    PortHandle next_handle = 1;  // each open hands out a new token

    // The burst being delivered: bytes still to come (-1: none), what the
    // read after them gives, and the time before each byte.
    int burst_left = -1;
    BurstEnd burst_end = BurstEnd::Quiet;
    int gap_ms = 0;

    int operations = 0;  // opens and written bytes of this exchange
    int fail_at = 0;     // the operation that fails; 0: none
    FaultOutcome fault{};

    std::vector<uint8_t> sent;       // every byte offered to the open line this exchange
    std::vector<uint8_t> delivered;  // the bytes reads gave since the latest open
};

// The process's one fuzzed line.
FuzzedLine& fuzzed_line();

// Starts an input afresh: nothing open, clock at 0, no exchange framed yet.
void reset_fuzzed_line(const uint8_t* input, size_t size);

// Frames the next exchange: takes its command, fault and length, and clears
// what the previous one sent and counted. The command, or nothing at the end
// of the input.
std::optional<Command> begin_exchange(FuzzedLine& line);

// Skips what the exchange's replies hold beyond what was read.
void end_exchange(FuzzedLine& line);

}  // namespace qv3::fuzzed
