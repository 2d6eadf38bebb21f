// Start-up, tab switching, the timer tick and the command dispatch of the main window.
#include "ui/main_window.h"

#include <vector>

#include "device/tracker_history.h"
#include "device/write_confirmations.h"
#include "ui/control_ids.h"
#include "ui/control_names.h"
#include "ui/dialog_layouts.h"
#include "ui/end_requests.h"
#include "ui/field_binding.h"
#include "ui/form_fields.h"
#include "ui/form_hold.h"
#include "ui/form_rules.h"
#include "ui/host_services.h"
#include "ui/text_refusal.h"
#include "ui/window_commands.h"
#include "ui/write_review.h"

namespace qv3 {

std::vector<PortInfo> list_ports_in_port_box(App& app) {
    const std::vector<PortInfo> ports = list_ports().ports;
    clear_list(app.window, IDC_PORT);
    for (const PortInfo& port : ports) add_list_item(app.window, IDC_PORT, port.name, port.description);
    if (ports.empty()) add_list_item(app.window, IDC_PORT, kNoPortsText);
    set_selection(app.window, IDC_PORT, 0);
    return ports;
}

void initialise_main_window(App& app) {
    list_ports_in_port_box(app);
    fill_drop_lists(app.window, kMainWindowLayout);
    show_bound_fields(app.window, kMainWindowLayout, app.record);
    update_main_window_enabling(app);
    name_bank_controls(app.window, kMainWindowLayout, bank_index(app.record));
}

std::string selected_port_name(const App& app) {
    return first_characters(get_text(app.window, IDC_PORT, kShortFieldMaxChars), kShortFieldMaxChars);
}

void on_tab_changed(App& app, int tab_index) {
    if (tab_index != Primary && tab_index != Secondary) return;
    // The bank shown keeps the form until the tracker can store its texts:
    // storing it would drop the typed text, so the tab goes back.
    if (refuse_unstorable_text(app.window, kMainWindowLayout)) {
        set_selection(app.window, IDC_TAB, static_cast<int>(bank_index(app.record)));
        return;
    }
    store_bound_fields(app.window, kMainWindowLayout, app.record);
    app.record.active_bank = tab_index;
    show_bound_fields(app.window, kMainWindowLayout, app.record);
    update_main_window_enabling(app);
    // The same controls now show the other bank: their names say so.
    name_bank_controls(app.window, kMainWindowLayout, bank_index(app.record));
}

void on_bank_key(App& app, int step) {
    const int bank = static_cast<int>(bank_index(app.record));
    const int next = ((bank + step) % 2 + 2) % 2;
    set_selection(app.window, IDC_TAB, next);
    on_tab_changed(app, next);
}

void on_quit_request(App& app) {
    if (write_in_progress(app.protocol) &&
        !ask_ok_cancel(app.window, kWriteQuestionCaption, kQuitDuringWriteQuestion)) {
        return;
    }
    post_quit_request(app.window, 0);
}

void on_command(App& app, int id) {
    switch (id) {
        case IDB_READ_VERSION:
            start_device_query(app, ProtocolState::QueryVersion);
            break;
        case IDB_READ_CONFIG:
            start_device_query(app, ProtocolState::QueryVersionForRead);
            break;
        case IDB_WRITE_CONFIG:
            write_config(app);
            break;
        case IDB_SEND_1200:
            send_tone(app, TestCommand::Tone1200);
            break;
        case IDB_SEND_2200:
            send_tone(app, TestCommand::Tone2200);
            break;
        case IDB_SEND_BOTH:
            send_tone(app, TestCommand::ToneBoth);
            break;
        case IDB_STOP_TEST:
            send_tone(app, TestCommand::StopTest);
            break;
        case IDB_SAVE:
            save_config(app);
            break;
        case IDB_LOAD:
            load_config(app);
            break;
        case IDB_EDIT_TELEMETRY:
            // Its OK would store into the record that the write's verification replaces.
            if (!refused_during_write(app.protocol)) show_telemetry_dialog(app.window, app.record);
            break;
        case IDB_HISTORY:
            show_history_dialog(app.window, app);
            break;
        case IDB_QUIT:
            on_quit_request(app);
            break;
        default:
            // The check boxes the form's rules read; the others only toggle
            // themselves. A held form's boxes are disabled and take no click.
            if (has_rules(kMainWindowRules, id) && !app.form_held) {
                check_box_clicked(app.window, kMainWindowRules, app.record, id);
            }
            break;
    }
}

namespace {

// A read or a verified write that has just ended keeps its image; a copy
// that could not be kept is said after the exchange's own status.
void keep_in_history(App& app) {
    const auto kept = keep_exchange_image(app.protocol, app.record.device_model, app.history_folder);
    if (kept && kept->outcome == HistoryOutcome::Failed) {
        app.protocol.status_line += "; " + history_failure_text(*kept);
    }
}

}  // namespace

void on_timer(App& app) {
    const bool changed = step(app.protocol, app.port, app.record);
    if (changed) {
        show_bound_fields(app.window, kMainWindowLayout, app.record);
        keep_in_history(app);
    }
    // A write may have ended without changing the record (the port lost, a failed verification).
    if (changed || app.form_held != write_under_way(app.protocol)) update_main_window_enabling(app);
    set_text(app.window, IDT_STATUS, app.protocol.status_line);
    if (app.protocol.state == ProtocolState::ConfirmingWrite) {
        review_write(app);
        if (app.protocol.state != ProtocolState::ConfirmingWrite) update_main_window_enabling(app);
        set_text(app.window, IDT_STATUS, app.protocol.status_line);
    }
    quit_if_write_over(app);
}

}  // namespace qv3
