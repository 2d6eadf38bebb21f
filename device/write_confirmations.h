// The "Write Config" command's confirmations, encoding, and the start of the write.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "device/device_protocol.h"
#include "device/serial_port.h"
#include "device/user_questions.h"
#include "model/config_record.h"

namespace qv3 {

constexpr const char* kWriteQuestionCaption = "Quorvale3 Write";
constexpr const char* kEmergencyQuestion =
    "You are about to configure your Quorvale with the ability to send an EMERGENCY beacon.  Are you sure you "
    "want to do this?";
constexpr const char* kLongPathQuestion =
    "You are about to configure your Quorvale with the ability to send a longer path than is normally "
    "recommended. Are you sure you want to do this?";
constexpr const char* kFastRateQuestion =
    "You are about to configure your Quorvale with the ability to send at a rate that is more frequent then is "
    "normally recommended. Are you sure you want to do this?";
constexpr const char* kFastTelemetryQuestion =
    "You are about to configure your Quorvale with the ability to send telemetry definitions at a rate that is "
    "more frequent then is normally recommended. Are you sure you want to do this?";

// The question before a write's image goes out, over the settings it
// changes, one line each: "The tracker will change:", at most
// kMaxChangeLines of them, "and N more" for the rest, "Write these changes?".
constexpr std::size_t kMaxChangeLines = 20;
std::string change_question_text(const std::vector<std::string>& lines);

// Asked before writing over a tracker whose image the read before the write
// could not take (CorruptedEeprom, ConfigNotRead): "The tracker's current
// configuration could not be read (REASON). Write without keeping it?".
std::string unreadable_tracker_question(ExchangeOutcome read);

// The questions the record calls for, in the order they are asked.
std::vector<const char*> write_questions_for(const ConfigRecord& record);

// Asks the questions the record calls for through ask_ok_cancel, owned by
// owner, in their order; true when each was answered OK (or none was asked).
// The first Cancel ends it.
bool confirm_write(const ConfigRecord& record, WindowHandle owner);

// Encodes the record for record.device_model and starts the write; the
// encoder's notices go through show_notice. Returns true when the record was
// changed and the form should show it again: texts had to be cut, so nothing
// was sent and the cut image was decoded back. The port's name must be set
// before.
bool start_confirmed_write(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record, WindowHandle owner);

// The window's "Write Config" after the form is in the record: confirm_write,
// then start_confirmed_write. While a write is under way (before the
// questions, and again after them) nothing is asked, encoded or sent, and
// status_line says kWriteInProgressStatus.
bool confirm_and_start_write(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record, WindowHandle owner);

}  // namespace qv3
