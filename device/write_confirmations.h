// The "Write Config" command's confirmations, encoding, and the start of the write.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "device/device_protocol.h"
#include "device/serial_port.h"
#include "model/config_record.h"

namespace qv3 {

// How the command talks to the user: a message box in the window, the
// terminal in qv3.
struct WriteHost {
    // An OK/Cancel question, Cancel the default; true for OK.
    std::function<bool(std::string_view caption, std::string_view text)> ask;
    // A notice with an OK button.
    std::function<void(std::string_view caption, std::string_view text)> notify;
};

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

// The questions the record calls for, in the order they are asked.
std::vector<const char*> write_questions_for(const ConfigRecord& record);

// Asks the questions the record calls for, encodes it for record.device_model
// and starts the write. Returns true when the record was changed and the form
// should show it again: texts had to be cut, so nothing was sent and the cut
// image was decoded back. The port's name must be set before. While a write
// is going out (before the questions, and again after them) nothing is asked,
// encoded or sent, and status_line says kWriteInProgressStatus.
bool confirm_and_start_write(DeviceProtocol& protocol, SerialPort& port, ConfigRecord& record,
                             const WriteHost& host);

}  // namespace qv3
