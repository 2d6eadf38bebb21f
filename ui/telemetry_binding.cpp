// The telemetry dialog's controls and buttons over the record's bank active_bank.
#include "ui/telemetry_binding.h"

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/field_binding.h"
#include "ui/form_fields.h"
#include "ui/text_refusal.h"

namespace qv3 {

// The controls and their fields come from the dialog's layout.
void telemetry_record_to_form(WindowHandle dialog, const ConfigRecord& record) {
    show_bound_fields(dialog, kTelemetryDialogLayout, record);
}

void telemetry_form_to_record(WindowHandle dialog, ConfigRecord& record) {
    store_bound_fields(dialog, kTelemetryDialogLayout, record);
}

void telemetry_update_enabling(WindowHandle dialog) {
    const bool sending = get_check(dialog, IDX_SEND_TELEMETRY);
    for (const int id : {IDC_TELEMETRY_CHANNELS, IDE_TELEMETRY_DEF_RATE, IDE_TELEMETRY_TEXT}) {
        set_enabled(dialog, id, sending);
    }
}

void telemetry_dialog_opened(WindowHandle dialog, const ConfigRecord& record) {
    fill_list(dialog, IDC_TELEMETRY_CHANNELS, kTelemetryChannelItems);
    telemetry_record_to_form(dialog, record);
    telemetry_update_enabling(dialog);
}

DialogAction telemetry_dialog_command(WindowHandle dialog, ConfigRecord& record, int id) {
    switch (id) {
        case IDX_SEND_TELEMETRY:
            telemetry_update_enabling(dialog);
            return DialogAction::Stay;
        case IDB_TELEMETRY_OK:
            return telemetry_dialog_close_box(dialog, record);
        case IDB_TELEMETRY_CANCEL:
            return DialogAction::Close;
        default:
            return DialogAction::Stay;
    }
}

DialogAction telemetry_dialog_close_box(WindowHandle dialog, ConfigRecord& record) {
    if (refuse_unstorable_text(dialog, kTelemetryDialogLayout)) return DialogAction::Stay;
    telemetry_form_to_record(dialog, record);
    return DialogAction::Close;
}

}  // namespace qv3
