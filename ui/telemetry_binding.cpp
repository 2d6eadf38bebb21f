// The telemetry dialog's controls and buttons over the record's bank active_bank.
#include "ui/telemetry_binding.h"

#include "ui/control_ids.h"
#include "ui/control_names.h"
#include "ui/dialog_layouts.h"
#include "ui/field_binding.h"
#include "ui/form_fields.h"
#include "ui/form_rules.h"
#include "ui/text_refusal.h"

namespace qv3 {

// The controls, their fields, lists and rules come from the dialog's layout and rules.
void telemetry_dialog_opened(WindowHandle dialog, const ConfigRecord& record) {
    fill_drop_lists(dialog, kTelemetryDialogLayout);
    show_bound_fields(dialog, kTelemetryDialogLayout, record);
    update_enabling(dialog, kTelemetryDialogRules, record);
    name_bank_controls(dialog, kTelemetryDialogLayout, bank_index(record));
}

DialogAction telemetry_dialog_command(WindowHandle dialog, ConfigRecord& record, int id) {
    switch (id) {
        case IDB_TELEMETRY_OK:
            return telemetry_dialog_close_box(dialog, record);
        case IDB_TELEMETRY_CANCEL:
            return DialogAction::Close;
        default:
            if (has_rules(kTelemetryDialogRules, id)) check_box_clicked(dialog, kTelemetryDialogRules, record, id);
            return DialogAction::Stay;
    }
}

DialogAction telemetry_dialog_close_box(WindowHandle dialog, ConfigRecord& record) {
    if (refuse_unstorable_text(dialog, kTelemetryDialogLayout)) return DialogAction::Stay;
    store_bound_fields(dialog, kTelemetryDialogLayout, record);
    return DialogAction::Close;
}

}  // namespace qv3
