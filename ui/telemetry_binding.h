// The telemetry dialog: its controls bound to the telemetry fields of bank active_bank, and its open/OK/Cancel/close.
#pragma once

#include <array>

#include "model/config_record.h"
#include "ui/form_access.h"

namespace qv3 {

// Items of the "Channels" list; the record keeps the selected position + 1.
constexpr std::array<const char*, 3> kTelemetryChannelItems{"1", "2", "3"};

// What the dialog procedure does after a call below.
enum class DialogAction { Stay, Close };

// Shows the telemetry fields of bank active_bank. A channel count outside
// 1..3 selects nothing.
void telemetry_record_to_form(WindowHandle dialog, const ConfigRecord& record);

// Stores the controls, enabled or not, into bank active_bank; no channel
// selected stores 0.
void telemetry_form_to_record(WindowHandle dialog, ConfigRecord& record);

// Channels, Definition Rate and Definition Text are enabled exactly when
// "Send Telemetry" is checked.
void telemetry_update_enabling(WindowHandle dialog);

// Once the dialog exists: fills Channels, selects its first item, shows the
// record and applies the enabling.
void telemetry_dialog_opened(WindowHandle dialog, const ConfigRecord& record);

// A click on control id: "Send Telemetry" updates the enabling; OK stores the
// form and closes; Cancel (also Esc) closes without storing. OK refuses a
// text the tracker cannot store (ui/text_refusal.h): the dialog stays open
// and nothing is stored.
DialogAction telemetry_dialog_command(WindowHandle dialog, ConfigRecord& record, int id);

// The close box: stores the form and closes, like OK, and refuses as OK does.
DialogAction telemetry_dialog_close_box(WindowHandle dialog, ConfigRecord& record);

}  // namespace qv3
