// The history dialog on Windows: shown modally over the main window, centred, its procedure calling ui/history_dialog.
#include <windows.h>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/history_dialog.h"
#include "ui/host_services.h"
#include "ui/win32/accessible_names_win32.h"
#include "ui/win32/dialog_builder_win32.h"
#include "ui/win32/window_placement_win32.h"

namespace qv3 {

namespace {

WindowHandle handle_of(HWND dialog) { return reinterpret_cast<WindowHandle>(dialog); }

App* app_of(HWND dialog) { return reinterpret_cast<App*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

// Close is IDCANCEL: Esc and the close box arrive as its click.
INT_PTR CALLBACK history_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lparam);
            centre_on_screen(dialog, false);
            name_controls(dialog, kHistoryDialogLayout);
            history_dialog_opened(handle_of(dialog), *reinterpret_cast<App*>(lparam));
            SetFocus(GetDlgItem(dialog, IDC_HISTORY_ENTRIES));
            return FALSE;  // the focus is set
        case WM_COMMAND: {
            App* app = app_of(dialog);
            if (app == nullptr || HIWORD(wparam) != BN_CLICKED) return FALSE;
            if (history_dialog_command(handle_of(dialog), *app, LOWORD(wparam)) == DialogAction::Close) {
                EndDialog(dialog, 0);
            }
            return TRUE;
        }
        case WM_DESTROY:
            forget_control_names(dialog, kHistoryDialogLayout);
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void show_history_dialog(WindowHandle owner, App& app) {
    run_modal_dialog(kHistoryDialogLayout, reinterpret_cast<HWND>(owner), history_dialog_procedure,
                     reinterpret_cast<LPARAM>(&app));
}

}  // namespace qv3
