// The telemetry dialog on Windows: shown modally over the main window, centred, its procedure calling the telemetry binding.
#include <windows.h>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/host_services.h"
#include "ui/telemetry_binding.h"
#include "ui/win32/accessible_names_win32.h"
#include "ui/win32/dialog_builder_win32.h"
#include "ui/win32/tooltips_win32.h"
#include "ui/win32/window_placement_win32.h"

namespace qv3 {

namespace {

WindowHandle handle_of(HWND dialog) { return reinterpret_cast<WindowHandle>(dialog); }

ConfigRecord* record_of(HWND dialog) { return reinterpret_cast<ConfigRecord*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void finish(HWND dialog, DialogAction action) {
    if (action == DialogAction::Close) EndDialog(dialog, 0);
}

INT_PTR CALLBACK telemetry_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lparam);
            centre_on_screen(dialog, false);
            add_tooltips(dialog, kTelemetryDialogLayout);
            name_controls(dialog, kTelemetryDialogLayout);
            telemetry_dialog_opened(handle_of(dialog), *reinterpret_cast<ConfigRecord*>(lparam));
            SetFocus(GetDlgItem(dialog, IDX_SEND_TELEMETRY));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND: {
            ConfigRecord* record = record_of(dialog);
            if (record == nullptr || HIWORD(wparam) != BN_CLICKED) return FALSE;
            finish(dialog, telemetry_dialog_command(handle_of(dialog), *record, LOWORD(wparam)));
            return TRUE;
        }
        case WM_SYSCOMMAND: {
            // The close box, the system menu's Close and Alt+F4 keep the edits. A
            // bare WM_CLOSE (Esc in the multi-line field sends one) is left to the
            // dialog manager, which turns it into Cancel.
            ConfigRecord* record = record_of(dialog);
            if (record == nullptr || (wparam & 0xFFF0) != SC_CLOSE) return FALSE;
            finish(dialog, telemetry_dialog_close_box(handle_of(dialog), *record));
            return TRUE;
        }
        case WM_DESTROY:
            forget_control_names(dialog, kTelemetryDialogLayout);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void show_telemetry_dialog(WindowHandle owner, ConfigRecord& record) {
    run_modal_dialog(kTelemetryDialogLayout, reinterpret_cast<HWND>(owner), telemetry_dialog_procedure,
                     reinterpret_cast<LPARAM>(&record));
}

}  // namespace qv3
