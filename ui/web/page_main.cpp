// The page's WebAssembly module: the one App, and the calls through which page/page.js forwards
// the page's events to the shared window logic, one call at a time.
#include <emscripten/emscripten.h>

#include <string>

#include "device/device_protocol.h"
#include "files/folder.h"
#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/form_access.h"
#include "ui/form_fields.h"
#include "ui/history_dialog.h"
#include "ui/main_window.h"
#include "ui/telemetry_binding.h"
#include "ui/typed_capitals.h"
#include "ui/web/dialog_builder_web.h"
#include "ui/web/page_imports.h"
#include "ui/web/page_windows.h"

namespace {

// The record with the protocol, then the port, as in every window.
qv3::App app;

}  // namespace

extern "C" {

// Once the page has loaded: the dialogs built, the main window shown.
// Without Web Serial the commands that need a port stay disabled; files still work.
EMSCRIPTEN_KEEPALIVE void web_start(int has_serial) {
    qv3::make_folders(qv3::kDownloadFolder);
    qv3::make_folders(qv3::kUploadFolder);
    // Loaded by the page before this call.
    app.history_folder = qv3::kHistoryFolder;
    qv3::build_dialog(qv3::kMainWindow, qv3::kMainWindowLayout);
    qv3::build_dialog(qv3::kTelemetryWindow, qv3::kTelemetryDialogLayout);
    qv3::build_dialog(qv3::kHistoryWindow, qv3::kHistoryDialogLayout);
    app.window = qv3::kMainWindow;
    for (const char* text : qv3::kTabTexts) qv3::add_list_item(app.window, qv3::IDC_TAB, text);
    qv3::set_selection(app.window, qv3::IDC_TAB, 0);
    qv3::initialise_main_window(app);
    if (has_serial == 0) {
        for (const int id : {qv3::IDC_PORT, qv3::IDB_READ_VERSION, qv3::IDB_READ_CONFIG, qv3::IDB_WRITE_CONFIG, qv3::IDB_SEND_1200,
                             qv3::IDB_SEND_2200, qv3::IDB_SEND_BOTH, qv3::IDB_STOP_TEST}) {
            qv3::set_enabled(app.window, id, false);
        }
    }
    qv3::set_focus(app.window, qv3::IDE_CALLSIGN);
}

// A page cannot close itself mid-write, and a question would hold the write's
// steps, so Quit is refused during a write like the commands that talk to the tracker.
EMSCRIPTEN_KEEPALIVE void web_on_command(int id) {
    if (id == qv3::IDB_QUIT && qv3::refused_during_write(app.protocol)) {
        qv3::set_text(app.window, qv3::IDT_STATUS, app.protocol.status_line);
        return;
    }
    qv3::on_command(app, id);
}

EMSCRIPTEN_KEEPALIVE void web_on_tab_changed(int index) { qv3::on_tab_changed(app, index); }

EMSCRIPTEN_KEEPALIVE void web_on_bank_key(int step) { qv3::on_bank_key(app, step); }

// An exchange keeps images in the history as it moves on: a read's at its end,
// a write's before-write copy once the write is confirmed, the read-back once
// verified. The page saves the folder whenever the exchange changes phase,
// a few times an exchange, each one comparison of the folder with its stored
// copy, so that a tab closed during the write still leaves the copy before it.
EMSCRIPTEN_KEEPALIVE void web_on_timer() {
    const qv3::ProtocolState before = app.protocol.state;
    qv3::on_timer(app);
    if (app.protocol.state != before) qv3_dom_save_history();
}

EMSCRIPTEN_KEEPALIVE int web_write_in_progress() { return qv3::write_in_progress(app.protocol) ? 1 : 0; }

// The page found the note of a write that a closed or reloaded tab cut off.
EMSCRIPTEN_KEEPALIVE void web_note_interrupted_write() {
    app.protocol.status_line =
        "The last write was interrupted: the tracker may hold an incomplete configuration. Write it again.";
    qv3::set_text(app.window, qv3::IDT_STATUS, app.protocol.status_line);
}

// event is a DialogEvent; id the control clicked.
EMSCRIPTEN_KEEPALIVE void web_telemetry_event(int event, int id) {
    const auto how = static_cast<qv3::DialogEvent>(event);
    const qv3::DialogAction action =
        how == qv3::DialogEvent::CloseBox
            ? qv3::telemetry_dialog_close_box(qv3::kTelemetryWindow, app.record)
            : qv3::telemetry_dialog_command(qv3::kTelemetryWindow, app.record,
                                            how == qv3::DialogEvent::Escape ? qv3::IDB_TELEMETRY_CANCEL : id);
    if (action == qv3::DialogAction::Close) qv3_dom_close_dialog(static_cast<int>(qv3::kTelemetryWindow));
}

// Esc and the close box are Close. Load and Save Copy... say their outcome on
// the status line at once rather than at the next tick.
EMSCRIPTEN_KEEPALIVE void web_history_event(int event, int id) {
    const int command = static_cast<qv3::DialogEvent>(event) == qv3::DialogEvent::Click ? id : qv3::IDB_HISTORY_CLOSE;
    const qv3::DialogAction action = qv3::history_dialog_command(qv3::kHistoryWindow, app, command);
    qv3::set_text(app.window, qv3::IDT_STATUS, app.protocol.status_line);
    if (action == qv3::DialogAction::Close) qv3_dom_close_dialog(static_cast<int>(qv3::kHistoryWindow));
}

// The ports the page holds have changed: the port box lists them again and
// keeps the one chosen (or selects selected, a port just granted).
EMSCRIPTEN_KEEPALIVE void web_ports_changed(const char* selected) {
    const std::string keep = selected != nullptr && *selected != '\0' ? selected : qv3::selected_port_name(app);
    const auto ports = qv3::list_ports_in_port_box(app);
    for (size_t i = 0; i < ports.size(); ++i) {
        if (ports[i].name == keep) qv3::set_selection(app.window, qv3::IDC_PORT, static_cast<int>(i));
    }
}

// Typing in a field with the upper-case rule (Callsign, Path).
EMSCRIPTEN_KEEPALIVE void web_typed(int window, int id) {
    const std::string text = qv3::get_text(window, id, qv3::kTextFieldMaxChars);
    const std::string capitals = qv3::typed_capitals(text);
    if (capitals != text) qv3::set_text(window, id, capitals);
}

}  // extern "C"
