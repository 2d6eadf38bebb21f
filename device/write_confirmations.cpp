// Questions before a write, in a fixed order; either bank can raise one, and each is asked once.
#include "device/write_confirmations.h"

#include <string>

#include "model/image_decoder.h"
#include "model/image_encoder.h"

namespace qv3 {

namespace {

constexpr uint8_t kEmergencyMessage = 7;

bool either_bank(const std::function<bool(int)>& condition) { return condition(0) || condition(1); }

bool sends_emergency(const ConfigRecord& r) {
    return either_bank([&](int b) { return r.mic_e_message[b] == kEmergencyMessage; });
}

bool has_long_path(const ConfigRecord& r) {
    return either_bank([&](int b) {
        for (const char* hops : {"-4", "-5", "-6", "-7"}) {
            if (r.path[b].find(hops) != std::string::npos) return true;
        }
        return false;
    });
}

bool beacons_fast(const ConfigRecord& r) {
    return either_bank([&](int b) {
        return r.smart_beacon_enable[b] != 0 ? r.fast_rate[b] < 90 : r.auto_tx_rate[b] < 120;
    });
}

bool sends_definitions_fast(const ConfigRecord& r) {
    return either_bank([&](int b) {
        return r.send_telemetry[b] != 0 && r.telemetry_def_rate[b] > 0 && r.telemetry_def_rate[b] < 30;
    });
}

}  // namespace

std::vector<const char*> write_questions_for(const ConfigRecord& record) {
    const struct {
        bool (*applies)(const ConfigRecord&);
        const char* question;
    } questions[] = {
        {sends_emergency, kEmergencyQuestion},
        {has_long_path, kLongPathQuestion},
        {beacons_fast, kFastRateQuestion},
        {sends_definitions_fast, kFastTelemetryQuestion},
    };
    std::vector<const char*> asked;
    for (const auto& q : questions) {
        if (q.applies(record)) asked.push_back(q.question);
    }
    return asked;
}

std::string change_question_text(const std::vector<std::string>& lines) {
    std::string question = "The tracker will change:\n";
    for (std::size_t i = 0; i < lines.size() && i < kMaxChangeLines; ++i) question += lines[i] + "\n";
    if (lines.size() > kMaxChangeLines) question += "and " + std::to_string(lines.size() - kMaxChangeLines) + " more\n";
    return question + "Write these changes?";
}

std::string unreadable_tracker_question(ExchangeOutcome read) {
    std::string reason = exchange_status_text(read);
    while (!reason.empty() && reason.back() == ' ') reason.pop_back();  // "Config not read " ends in one
    return "The tracker's current configuration could not be read (" + reason + "). Write without keeping it?";
}

bool confirm_write(const ConfigRecord& record, WindowHandle owner) {
    for (const char* question : write_questions_for(record)) {
        if (!ask_ok_cancel(owner, kWriteQuestionCaption, question)) return false;
    }
    return true;
}

bool confirm_and_start_write(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record, WindowHandle owner) {
    if (refused_during_write(protocol) || !confirm_write(record, owner)) return false;
    // The questions are modal, but the window's timer keeps stepping under
    // them: a write started meanwhile must not have its image re-encoded or
    // be cut short by a new version query.
    if (refused_during_write(protocol)) return false;
    return start_confirmed_write(protocol, port, record, owner);
}

bool start_confirmed_write(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record, WindowHandle owner) {
    protocol.retry_count = 0;
    const EncodeOutcome outcome = encode_image(record, protocol.encoded_image);
    protocol.encoded_for_model = record.device_model;
    switch (outcome) {
        case EncodeOutcome::Complete:
            start_version_query(protocol, port, ProtocolState::QueryVersionForWrite);
            return false;
        case EncodeOutcome::DoesNotFit:
            show_notice(owner, kDoesNotFitCaption, kDoesNotFitMessage);
            return false;
        case EncodeOutcome::TextTruncated:
            break;
    }
    // Nothing is sent: the record shows the texts as they were cut, for review.
    show_notice(owner, kTextTruncatedCaption, kTextTruncatedMessage);
    protocol.received_image.bytes = protocol.encoded_image;
    protocol.received_image.length = image_size_for_model(record.device_model);
    protocol.status_line = decode_status_text(decode_image(protocol.received_image, record));
    return true;
}

}  // namespace qv3
