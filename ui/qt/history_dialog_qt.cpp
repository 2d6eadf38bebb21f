// The history dialog over Qt: built from its layout, modal over the main window, forwarding to ui/history_dialog.
#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/history_dialog.h"
#include "ui/host_services.h"
#include "ui/qt/modal_dialog_qt.h"

namespace qv3 {

// Esc and the close box close it as Close does; it keeps nothing.
void show_history_dialog(WindowHandle owner, App& app) {
    run_modal_dialog(
        owner, kHistoryDialogLayout, IDC_HISTORY_ENTRIES,
        [&](WindowHandle dialog) { history_dialog_opened(dialog, app); },
        [&](WindowHandle dialog, int id) { return history_dialog_command(dialog, app, id); });
}

}  // namespace qv3
