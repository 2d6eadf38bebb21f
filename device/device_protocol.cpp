// The device exchange as a state machine: each step does one short, bounded piece of serial work.
#include "device/device_protocol.h"

#include <array>
#include <string_view>

#include "model/image_decoder.h"

namespace qv3 {

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr int kPieceSize = 32;
constexpr int kBytePauseMs = 10;
constexpr int kStepsToCollect = 3;      // a reply is collected over three steps

// Sends the bytes one at a time; stops at the first that finds the device gone.
void send_bytes(DeviceProtocol& protocol, SerialPort& port, const uint8_t* bytes, size_t count, int pause_ms) {
    for (size_t i = 0; i < count && !protocol.port_gone; ++i) {
        if (protocol.trace) protocol.trace(TraceDirection::Sent, bytes[i]);
        if (write(port, &bytes[i], 1, pause_ms).outcome == PortOutcome::Gone) protocol.port_gone = true;
    }
}

void send(DeviceProtocol& protocol, SerialPort& port, std::initializer_list<uint8_t> bytes, int pause_ms) {
    send_bytes(protocol, port, bytes.begin(), bytes.size(), pause_ms);
}

// Reads bytes until the line is quiet, a read fails, `room` is used up or the
// drain has taken kDrainLimitMs. Each byte goes to `keep`.
template <typename Keep>
void drain(DeviceProtocol& protocol, SerialPort& port, size_t room, Keep keep) {
    const int64_t started = line_clock_ms(port);
    for (size_t taken = 0; taken < room; ++taken) {
        const ReadResult result = read_byte(port);
        if (result.outcome == PortOutcome::Gone) protocol.port_gone = true;
        if (result.outcome != PortOutcome::Ok) return;
        if (protocol.trace) protocol.trace(TraceDirection::Received, result.byte);
        keep(result.byte);
        if (line_clock_ms(port) - started >= kDrainLimitMs) return;
    }
}

void drain_version_reply(DeviceProtocol& protocol, SerialPort& port) {
    const size_t room = kMaxVersionReplyBytes - std::min(kMaxVersionReplyBytes, protocol.version_reply.size());
    drain(protocol, port, room, [&](uint8_t byte) { protocol.version_reply.push_back(static_cast<char>(byte)); });
}

// Bytes beyond the buffer are not stored; one more is counted so that the
// length tells that too many came.
void drain_image(DeviceProtocol& protocol, SerialPort& port) {
    ReceivedImage& image = protocol.received_image;
    const size_t room = static_cast<size_t>(kReceivedOverflowLength - std::min(image.length, kReceivedOverflowLength));
    drain(protocol, port, room, [&](uint8_t byte) {
        if (image.length < kImageBufferSize) image.bytes[static_cast<size_t>(image.length)] = byte;
        ++image.length;
    });
}

void send_read_command(DeviceProtocol& protocol, SerialPort& port) { send(protocol, port, {kEsc, 'U'}, kBytePauseMs); }

void end_exchange(DeviceProtocol& protocol, ExchangeOutcome outcome, std::string_view detail = {}) {
    protocol.outcome = outcome;
    protocol.status_line = exchange_status_text(outcome, detail);
}

// A read, Read Config's or the one before a write, into received_image.
void begin_reading(DeviceProtocol& protocol, SerialPort& port, ProtocolState reading) {
    protocol.state = reading;
    protocol.received_image.length = 0;
    protocol.status_line = "Reading Config";
    open(port);
    send_read_command(protocol, port);
}

void begin_writing(DeviceProtocol& protocol, SerialPort& port) {
    protocol.state = ProtocolState::WritingConfig;
    protocol.status_line = "Writing Config : ";
    send(protocol, port, {kEsc, 'D', 0xAA, 0x55}, kBytePauseMs);
    protocol.write_offset = 0;
}

// The tracker named a known model: the read or the write begins, or a
// version-only query ends.
void begin_phase(DeviceProtocol& protocol, SerialPort& port, int model) {
    protocol.status_line = exchange_status_text(ExchangeOutcome::VersionFound, protocol.version_reply);
    protocol.tick_count = 0;
    switch (protocol.state) {
        case ProtocolState::QueryVersionForRead:
            begin_reading(protocol, port, ProtocolState::ReadingConfig);
            break;
        case ProtocolState::QueryVersionForWrite:
            // An image laid out for another model would corrupt the tracker's
            // configuration: send nothing, and let the next command encode anew.
            if (model != protocol.encoded_for_model) {
                end_exchange(protocol, ExchangeOutcome::WriteCancelledModelChanged);
                protocol.state = ProtocolState::Idle;
                break;
            }
            if (protocol.read_before_write) {
                begin_reading(protocol, port, ProtocolState::ReadingBeforeWrite);
                break;
            }
            open(port);
            begin_writing(protocol, port);
            break;
        default:
            protocol.state = ProtocolState::Idle;
            protocol.outcome = ExchangeOutcome::VersionFound;
            break;
    }
}

// Judges the reply collected over three steps: a known model begins the next
// phase; an unknown one asks again at the other speed, five times in all.
bool judge_version_reply(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record) {
    close(port);
    const int model = model_for_version_reply(protocol.version_reply);
    if (model_known(model)) {
        record.device_model = model;
        begin_phase(protocol, port, model);
        return true;
    }
    const int32_t previous_tries = protocol.retry_count++;
    if (previous_tries < 4) {
        port.baud_rate = port.baud_rate == 4800 ? 9600 : 4800;
        if (protocol.trace) protocol.trace(TraceDirection::LineSpeed, port.baud_rate);
        start_version_query(protocol, port, protocol.state);
        return true;
    }
    end_exchange(protocol, ExchangeOutcome::NotFound, protocol.version_reply);
    protocol.state = ProtocolState::Idle;
    record.device_model = kModelNone;
    return true;
}

void write_next_piece(DeviceProtocol& protocol, SerialPort& port, const ConfigRecord& record) {
    // One star per step, counted from the offset: a refused command may have
    // replaced the line in between.
    const auto stars = static_cast<size_t>(protocol.write_offset / kPieceSize + 1);
    protocol.status_line = "Writing Config : " + std::string(stars, '*');
    if (protocol.write_offset < kImageBufferSize) {
        send_bytes(protocol, port, protocol.encoded_image.data() + protocol.write_offset, kPieceSize, kBytePauseMs);
        protocol.write_offset += kPieceSize;
        return;
    }
    if (const int wait_ms = device_model_info(record.device_model).readback_wait_ms; wait_ms > 0) {
        sleep_ms(port, wait_ms);
    }
    send_read_command(protocol, port);
    protocol.received_image.length = 0;
    protocol.status_line = "Verifying Config";
    protocol.state = ProtocolState::VerifyingConfig;
    // The read-back is collected over three steps, as a read is: a tracker
    // (or an adapter, or a PC) slow to answer still has its image judged whole.
    protocol.tick_count = 0;
}

// The read before a write is judged as a read is, into a record of its own:
// the form's record is what is about to be written.
ExchangeOutcome judge_read_before_write(const DeviceProtocol& protocol, int model) {
    if (protocol.received_image.length == 0) return ExchangeOutcome::ConfigNotRead;
    ConfigRecord held{.device_model = model};
    return decode_image(protocol.received_image, held) == DecodeOutcome::Success ? ExchangeOutcome::ReadSucceeded
                                                                                 : ExchangeOutcome::CorruptedEeprom;
}

void judge_image(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record) {
    close(port);
    if (protocol.state == ProtocolState::ReadingBeforeWrite) {
        protocol.read_before_write_outcome = judge_read_before_write(protocol, record.device_model);
        protocol.state = ProtocolState::ConfirmingWrite;
        return;
    }
    if (protocol.received_image.length == 0) {
        end_exchange(protocol, ExchangeOutcome::ConfigNotRead);
    } else if (protocol.state == ProtocolState::ReadingConfig) {
        const bool decoded = decode_image(protocol.received_image, record) == DecodeOutcome::Success;
        end_exchange(protocol, decoded ? ExchangeOutcome::ReadSucceeded : ExchangeOutcome::CorruptedEeprom);
    } else {
        verify_written_image(protocol, record);
    }
    protocol.state = ProtocolState::Idle;
}

}  // namespace

std::string exchange_status_text(ExchangeOutcome outcome, std::string_view detail) {
    switch (outcome) {
        case ExchangeOutcome::None:
        case ExchangeOutcome::Running: return {};
        case ExchangeOutcome::OpenFailed: return std::string(detail);
        case ExchangeOutcome::VersionFound: return "Version Read : \"" + std::string(detail) + "\"";
        case ExchangeOutcome::NotFound: return "Quorvale3 not found : (" + std::string(detail) + ")";
        case ExchangeOutcome::ReadSucceeded: return decode_status_text(DecodeOutcome::Success);
        case ExchangeOutcome::CorruptedEeprom: return decode_status_text(DecodeOutcome::CorruptedEeprom);
        case ExchangeOutcome::ConfigNotRead: return "Config not read ";
        case ExchangeOutcome::Written: return "Config Written Successfully!";
        // Two messages that differ only in letter case: a wrong byte count, a wrong byte.
        case ExchangeOutcome::VerifyFailedLength: return "Verify FAILED";
        case ExchangeOutcome::VerifyFailedBytes: return "Verify Failed";
        case ExchangeOutcome::WriteCancelledModelChanged: return "Write cancelled: device model changed";
        case ExchangeOutcome::WriteDeclined: return "Write cancelled: the tracker is unchanged";
        case ExchangeOutcome::AlreadyHeld: return "The tracker already holds this configuration";
        case ExchangeOutcome::BackupFailed:
            return "Could not keep the tracker's configuration before writing (" + std::string(detail) +
                   "); nothing was written.";
        case ExchangeOutcome::PortLostDuringRead: return "Port lost during the read (" + std::string(detail) + ")";
        case ExchangeOutcome::PortLostDuringWrite:
            return "Port lost during the write: the tracker may hold an incomplete configuration. Write it again.";
    }
    return {};
}

int model_for_version_reply(const std::string& reply) {
    int model = kModelNone;
    for (const DeviceModelInfo& row : kDeviceModels) {
        if (std::string_view(reply).substr(0, row.version_text.size()) == row.version_text) model = row.code;
    }
    return model;
}

bool write_in_progress(const DeviceProtocol& protocol) {
    return protocol.state == ProtocolState::WritingConfig || protocol.state == ProtocolState::VerifyingConfig;
}

bool write_under_way(const DeviceProtocol& protocol) {
    return protocol.state == ProtocolState::QueryVersionForWrite || protocol.state == ProtocolState::ReadingBeforeWrite ||
           protocol.state == ProtocolState::ConfirmingWrite || write_in_progress(protocol);
}

bool refused_during_write(DeviceProtocol& protocol) {
    if (!write_under_way(protocol)) return false;
    if (protocol.refusal_steps_left == 0) protocol.progress_under_refusal = protocol.status_line;
    protocol.status_line = kWriteInProgressStatus;
    protocol.refusal_steps_left = kRefusalShownSteps;
    return true;
}

void start_version_query(DeviceProtocol& protocol, SerialPort& port, ProtocolState follow_up) {
    protocol.port_gone = false;
    if (open(port) != PortOutcome::Ok) {
        // A retry that cannot reopen the port goes on (and so does an exchange
        // another command failed to replace): only an idle protocol has ended.
        protocol.status_line = exchange_status_text(ExchangeOutcome::OpenFailed, port.last_error);
        if (protocol.state == ProtocolState::Idle) protocol.outcome = ExchangeOutcome::OpenFailed;
        return;
    }
    protocol.state = follow_up;
    protocol.outcome = ExchangeOutcome::Running;
    protocol.tick_count = 0;
    protocol.version_reply.clear();
    protocol.status_line = "Reading Version";
    send(protocol, port, {kEsc, 'V'}, 0);
}

namespace {

// The device went away: the exchange ends at once and the port is closed, so
// that the next command opens the device afresh once it is back. The record
// keeps what it held.
void end_with_port_lost(DeviceProtocol& protocol, SerialPort& port, bool writing) {
    const std::string reason = port.reason;
    close(port);
    end_exchange(protocol, writing ? ExchangeOutcome::PortLostDuringWrite : ExchangeOutcome::PortLostDuringRead,
                 reason);
    protocol.state = ProtocolState::Idle;
    protocol.port_gone = false;
}

bool step_exchange(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record) {
    switch (protocol.state) {
        case ProtocolState::Idle:
            return false;
        case ProtocolState::QueryVersion:
        case ProtocolState::QueryVersionForRead:
        case ProtocolState::QueryVersionForWrite:
            drain_version_reply(protocol, port);
            if (protocol.port_gone || protocol.tick_count < kStepsToCollect) return false;
            return judge_version_reply(protocol, port, record);
        case ProtocolState::WritingConfig:
            write_next_piece(protocol, port, record);
            return false;
        case ProtocolState::ConfirmingWrite:
            return false;
        case ProtocolState::ReadingConfig:
        case ProtocolState::ReadingBeforeWrite:
        case ProtocolState::VerifyingConfig:
            drain_image(protocol, port);
            if (protocol.port_gone || protocol.tick_count < kStepsToCollect) return false;
            judge_image(protocol, port, record);
            return true;
    }
    return false;
}

// After a step: a refusal's text stays until its steps are used up, with the
// progress the step made kept under it; the write's outcome replaces it.
void keep_refusal_shown(DeviceProtocol& protocol) {
    if (protocol.refusal_steps_left == 0) return;
    if (!write_under_way(protocol) || --protocol.refusal_steps_left == 0) {
        protocol.refusal_steps_left = 0;
        return;
    }
    protocol.progress_under_refusal = protocol.status_line;
    protocol.status_line = kWriteInProgressStatus;
}

}  // namespace

bool step(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record) {
    ++protocol.tick_count;
    // The step goes on from the progress shown before the refusal (a phase
    // whose steps do not write their progress again keeps it).
    if (protocol.refusal_steps_left > 0 && write_under_way(protocol)) {
        protocol.status_line = protocol.progress_under_refusal;
    }
    const ProtocolState before = protocol.state;
    const bool changed = step_exchange(protocol, port, record);
    if (protocol.port_gone) {
        // The image had begun to go out when the state was (or has just
        // become) a writing one.
        const bool writing = before == ProtocolState::WritingConfig || before == ProtocolState::VerifyingConfig ||
                             write_in_progress(protocol);
        end_with_port_lost(protocol, port, writing);
    }
    keep_refusal_shown(protocol);
    return changed;
}

void verify_written_image(DeviceProtocol& protocol, ConfigRecord& record) {
    const ReceivedImage& image = protocol.received_image;
    if (image.length != device_model_info(record.device_model).image_size) {
        end_exchange(protocol, ExchangeOutcome::VerifyFailedLength);
        return;
    }
    for (int i = 0; i < image.length; ++i) {
        if (image.bytes[static_cast<size_t>(i)] != protocol.encoded_image[static_cast<size_t>(i)]) {
            end_exchange(protocol, ExchangeOutcome::VerifyFailedBytes);
            return;
        }
    }
    decode_image(image, record);
    end_exchange(protocol, ExchangeOutcome::Written);
}

void write_after_confirming(DeviceProtocol& protocol, SerialPort& port) {
    if (protocol.state != ProtocolState::ConfirmingWrite) return;
    protocol.port_gone = false;
    if (open(port) != PortOutcome::Ok) {
        end_exchange(protocol, ExchangeOutcome::OpenFailed, port.last_error);
        protocol.state = ProtocolState::Idle;
        return;
    }
    begin_writing(protocol, port);
}

void end_write_unsent(DeviceProtocol& protocol, ExchangeOutcome outcome, std::string_view detail) {
    if (protocol.state != ProtocolState::ConfirmingWrite) return;
    end_exchange(protocol, outcome, detail);
    protocol.state = ProtocolState::Idle;
}

PortOutcome send_test_command(DeviceProtocol& protocol, SerialPort& port, TestCommand command) {
    if (const PortOutcome opened = open(port); opened != PortOutcome::Ok) return opened;
    const uint8_t last = command == TestCommand::Tone1200   ? '1'
                         : command == TestCommand::Tone2200 ? '2'
                         : command == TestCommand::ToneBoth ? '3'
                                                            : kEsc;
    const uint8_t bytes[] = {kEsc, kEsc, last};
    PortOutcome sent = PortOutcome::Ok;
    for (const uint8_t byte : bytes) {
        if (protocol.trace) protocol.trace(TraceDirection::Sent, byte);
        sent = write(port, &byte, 1, kBytePauseMs).outcome;
        if (sent != PortOutcome::Ok) break;
    }
    close(port);
    return sent;
}

}  // namespace qv3
