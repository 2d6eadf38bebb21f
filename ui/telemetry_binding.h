// The telemetry dialog: its controls bound to the telemetry fields of bank active_bank, and its open/OK/Cancel/close.
#pragma once

#include "model/config_record.h"
#include "ui/form_access.h"

namespace qv3 {

// What the dialog procedure does after a call below.
enum class DialogAction { Stay, Close };

// Once the dialog exists: fills Channels, selects its first item, shows the
// telemetry fields of bank active_bank (a channel count outside 1..3 selects
// nothing) and applies the enabling: Channels, Definition Rate and Definition
// Text are enabled exactly when "Send Telemetry" is checked
// (kTelemetryDialogRules); names the controls for that bank ("Primary
// Definition Rate", name_bank_controls).
void telemetry_dialog_opened(WindowHandle dialog, const ConfigRecord& record);

// A click on control id: "Send Telemetry" updates the enabling; OK stores the
// form, enabled or not, into bank active_bank (no channel selected stores 0)
// and closes; Cancel (also Esc) closes without storing. OK refuses a
// text the tracker cannot store (ui/text_refusal.h): the dialog stays open
// and nothing is stored.
DialogAction telemetry_dialog_command(WindowHandle dialog, ConfigRecord& record, int id);

// The close box: stores the form and closes, like OK, and refuses as OK does.
DialogAction telemetry_dialog_close_box(WindowHandle dialog, ConfigRecord& record);

}  // namespace qv3
