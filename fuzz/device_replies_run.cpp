// One input of fuzz_device_replies through the exchanges, every one of them checked.
//
// Each exchange starts as the window starts it and is stepped as its 100 ms timer steps it, over the line
// of serial_port_fuzzed.cpp (input format in fuzzed_line.h). Whatever the device sends, what users rely on
// holds, or the run aborts naming what broke. QV3_FUZZ_VERBOSE=1 prints how each exchange ended.
#include "fuzz/device_replies_run.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzzed_line.h"
#include "model/image_decoder.h"
#include "model/image_encoder.h"

namespace {

using namespace qv3;
using enum ExchangeOutcome;
using enum ProtocolState;
using fuzzed::Exchange;
using enum fuzzed::Exchange;
using Bytes = std::vector<uint8_t>;

void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz_device_replies: %s\n", what);
    std::abort();
}

constexpr uint8_t kEsc = 0x1B;
constexpr int kMaxExchanges = 8;  // per input, on one protocol, port and record, as in one session

// The protocol's own limits, of which the bounds are made. Steps until idle:
// five version queries of three steps each; then a read's three, or a write's
// eight pieces, the step that asks for the read-back and its three at most.
constexpr int kQueries = 5;
constexpr int kQuerySteps = kQueries * 3;
constexpr int kPieces = kImageBufferSize / 32;
constexpr int kMaxSteps[] = {kQuerySteps, kQuerySteps + 3, kQuerySteps + kPieces + 1 + 3};
// A step holds the window for at most a drain (its limit and the read that
// crossed it), the read-back's wait and one piece at 10 ms a byte, of which
// one byte may wait out the write time-out.
constexpr int64_t kMaxStepMs = kDrainLimitMs + kReadTimeoutMs + 32 * 10 + kWriteTimeoutMs +
    std::max_element(kDeviceModels.begin(), kDeviceModels.end(), [](auto& a, auto& b) {
        return a.readback_wait_ms < b.readback_wait_ms; })->readback_wait_ms;

constexpr unsigned bit(ExchangeOutcome outcome) { return 1u << static_cast<unsigned>(outcome); }
constexpr unsigned kQueryEnds = bit(OpenFailed) | bit(NotFound) | bit(PortLostDuringRead);
constexpr unsigned kEnds[] = {  // how each exchange may end
    kQueryEnds | bit(VersionFound),
    kQueryEnds | bit(ReadSucceeded) | bit(CorruptedEeprom) | bit(ConfigNotRead),
    kQueryEnds | bit(WriteCancelledModelChanged) | bit(Written) | bit(VerifyFailedLength) | bit(VerifyFailedBytes) |
        bit(ConfigNotRead) | bit(PortLostDuringWrite),
};

struct Session {
    SerialPort port;
    DeviceProtocol protocol;
    ConfigRecord record;
};

bool begins(const Bytes& whole, const Bytes& part) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

void tone(Session& s, int choice) {
    const fuzzed::FuzzedLine& line = fuzzed::fuzzed_line();
    const ConfigRecord before = s.record;
    const PortOutcome sent = send_test_command(s.protocol, s.port, static_cast<TestCommand>(choice));
    const Bytes command{kEsc, kEsc, static_cast<uint8_t>("123\x1b"[choice])};
    check(begins(command, line.sent) && (sent != PortOutcome::Ok || line.sent == command),
          "a tone sent other bytes");
    check(!line.is_open && s.protocol.state == Idle && s.record == before,
          "a tone left the port open or changed the exchange or the record");
}

ExchangeOutcome exchange(Session& s, Exchange kind, int model) {
    fuzzed::FuzzedLine& line = fuzzed::fuzzed_line();
    DeviceProtocol& p = s.protocol;
    if (kind == Write) {  // as the write command starts it, for the model the record holds
        s.record.device_model = model;
        if (encode_image(s.record, p.encoded_image) != EncodeOutcome::Complete) return None;
        p.encoded_for_model = model;
    }
    const ImageBytes image = p.encoded_image;
    const ConfigRecord before = s.record;
    p.retry_count = 0;
    start_version_query(p, s.port,
                        kind == Read ? QueryVersionForRead : kind == Write ? QueryVersionForWrite : QueryVersion);
    int steps = 0;
    while (p.state != Idle) {
        check(++steps <= kMaxSteps[kind], "an exchange outlasted the protocol's own limits");
        const ProtocolState was = p.state;
        const int64_t started = line.now_ms += 100;
        step(p, s.port, s.record);
        check(line.now_ms - started <= kMaxStepMs, "a step held the window too long");
        check(p.version_reply.size() <= kMaxVersionReplyBytes && p.received_image.length <= kReceivedOverflowLength,
              "a drain went past its bounds");
        check(was != QueryVersionForWrite || p.state != WritingConfig ||
                  model_for_version_reply(p.version_reply) == model,
              "a write began without the tracker naming the image's model");
    }

    // The host sent version queries (the last perhaps cut), then a beginning of the phase's commands.
    size_t at = 0;
    int queries = 0;
    for (; at + 1 < line.sent.size() && line.sent[at] == kEsc && line.sent[at + 1] == 'V'; at += 2) ++queries;
    const Bytes rest(line.sent.begin() + static_cast<std::ptrdiff_t>(at), line.sent.end());
    Bytes phase;
    if (kind == Write) phase = {kEsc, 'D', 0xAA, 0x55};
    if (kind == Write) phase.insert(phase.end(), image.begin(), image.end());
    if (kind != VersionOnly) phase.insert(phase.end(), {kEsc, 'U'});
    check(queries <= kQueries && (begins(phase, rest) || (rest == Bytes{kEsc} && queries < kQueries)),
          "the host sent bytes the exchange does not send");
    const int named = model_for_version_reply(p.version_reply);
    check(rest.size() < 2 || (model_known(named) && (kind != Write || named == model)),
          "a read or write command went out before the tracker named its model");

    const ExchangeOutcome outcome = p.outcome;
    check(kEnds[kind] & bit(outcome), "an exchange ended in an outcome it cannot have");
    const std::string& detail = outcome == OpenFailed           ? s.port.last_error
                                : outcome == PortLostDuringRead ? s.port.reason
                                                                : p.version_reply;
    check(p.status_line == exchange_status_text(outcome, detail), "the status line does not say how it ended");
    check(!line.is_open && s.port.handle == kNoHandle, "an exchange left the port open");

    // The record changes by a judged version reply, a read that brought
    // exactly an image, and a write whose read-back is the image sent; by nothing else.
    check(s.record.device_model == before.device_model || s.record.device_model == named,
          "the model changed without a version reply naming it");
    ConfigRecord expected = before;
    expected.device_model = s.record.device_model;
    if (outcome == ReadSucceeded || outcome == Written) {
        const int size = image_size_for_model(s.record.device_model);
        check(static_cast<int>(line.delivered.size()) == size, "success without exactly the model's image size");
        check(outcome != Written ||
                  (rest == phase && std::equal(line.delivered.begin(), line.delivered.end(), image.begin())),
              "\"Written\" without the whole image going out and coming back byte for byte");
        ReceivedImage received;
        std::copy(line.delivered.begin(), line.delivered.end(), received.bytes.begin());
        received.length = size;
        decode_image(received, expected);
    }
    check(s.record == expected, "the record does not hold what the exchange brought");
    static const bool verbose = std::getenv("QV3_FUZZ_VERBOSE") != nullptr;
    if (verbose) std::fprintf(stderr, "exchange %d, model %d, %d steps: %s\n", kind, model, steps, p.status_line.data());
    return outcome;
}

}  // namespace

namespace qv3 {

DeviceRepliesRun run_device_replies(const uint8_t* data, size_t size) {
    fuzzed::reset_fuzzed_line(data, size);
    Session session;
    DeviceRepliesRun run;
    for (int n = 0; n < kMaxExchanges; ++n) {
        const std::optional<fuzzed::Command> command = fuzzed::begin_exchange(fuzzed::fuzzed_line());
        if (!command) break;
        if (command->kind == Tone) tone(session, command->choice);
        run.ends.push_back(command->kind == Tone ? None : exchange(session, command->kind, command->choice));
        fuzzed::end_exchange(fuzzed::fuzzed_line());
    }
    run.model = session.record.device_model;
    return run;
}

}  // namespace qv3
