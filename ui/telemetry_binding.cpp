// The telemetry dialog's controls and buttons over the record's bank active_bank.
#include "ui/telemetry_binding.h"

#include "ui/control_ids.h"
#include "ui/form_fields.h"

namespace qv3 {

void telemetry_record_to_form(WindowHandle dialog, const ConfigRecord& record) {
    const std::size_t b = bank_index(record);
    show_check(dialog, IDX_SEND_TELEMETRY, record.send_telemetry[b]);
    show_list_index(dialog, IDC_TELEMETRY_CHANNELS, static_cast<long long>(record.telemetry_channels[b]) - 1,
                    kTelemetryChannelItems.size());
    show_decimal(dialog, IDE_TELEMETRY_DEF_RATE, record.telemetry_def_rate[b]);
    set_text(dialog, IDE_TELEMETRY_TEXT, record.telemetry_text[b]);
}

void telemetry_form_to_record(WindowHandle dialog, ConfigRecord& record) {
    const std::size_t b = bank_index(record);
    record.send_telemetry[b] = read_check_field(dialog, IDX_SEND_TELEMETRY);
    const int selected = get_selection(dialog, IDC_TELEMETRY_CHANNELS);
    const bool listed = selected >= 0 && static_cast<std::size_t>(selected) < kTelemetryChannelItems.size();
    record.telemetry_channels[b] = listed ? selected + 1 : 0;
    record.telemetry_def_rate[b] = read_decimal_field(dialog, IDE_TELEMETRY_DEF_RATE);
    record.telemetry_text[b] = read_text_field(dialog, IDE_TELEMETRY_TEXT);
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
            telemetry_form_to_record(dialog, record);
            return DialogAction::Close;
        case IDB_TELEMETRY_CANCEL:
            return DialogAction::Close;
        default:
            return DialogAction::Stay;
    }
}

DialogAction telemetry_dialog_close_box(WindowHandle dialog, ConfigRecord& record) {
    telemetry_form_to_record(dialog, record);
    return DialogAction::Close;
}

}  // namespace qv3
