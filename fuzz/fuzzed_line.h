// The serial line behind serial_port_fuzzed.cpp: a device whose every answer, and its timing, comes from fuzz input.
//
// fuzz_device_replies links serial_port_fuzzed.cpp instead of the platform's
// backend and feeds the input through fuzzed_line(). The input is a run of
// exchanges, each framed by its length so that a change inside one leaves the
// others where they were:
//
//   exchange := command fault_low fault_high length_low length_high reply[length]
//   command  := which exchange, and the model or tone (read by the target)
//   fault    := 16 bits: 0, or one port operation of the exchange that fails:
//               the (fault >> 2)-th open or written byte, counted from 1,
//               fails as kFaultOutcomes[fault & 3] says
//   reply    := burst*, consumed only by reads of an open port
//   burst    := head gap byte[head & 63]
//               the bytes arrive gap % 103 ms apart (always within the read
//               time-out); the read after the last byte gives, by head >> 6:
//               0 nothing in time (the device falls quiet), 1 the next burst's
//               first byte at once, 2 Failed, 3 Gone
//
// Past the end of an exchange's replies the device is silent. An open drops
// the rest of a burst a former opening left unread, as a line nobody listened
// to loses what came over it. Nothing sleeps: reads, writes and sleep_ms move
// the virtual clock as the simulated line does (a quiet read: + 103 ms; a
// written byte: + its pause; sleep_ms: + ms).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/serial_port.h"

namespace qv3::fuzzed {

constexpr int64_t kReadTimeoutMs = 103;

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
    int burst_end = 0;
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
std::optional<uint8_t> begin_exchange(FuzzedLine& line);

// Skips what the exchange's replies hold beyond what was read.
void end_exchange(FuzzedLine& line);

}  // namespace qv3::fuzzed
