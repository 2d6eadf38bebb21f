// The history dialog over Qt: built from its layout, modal over the main window, forwarding to ui/history_dialog.
#include <QDialog>
#include <QWidget>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/history_dialog.h"
#include "ui/host_services.h"
#include "ui/qt/dialog_builder_qt.h"
#include "ui/qt/window_placement_qt.h"

namespace qv3 {

void show_history_dialog(WindowHandle owner, App& app) {
    const QtForm* main_form = form_of(owner);
    QDialog dialog(main_form != nullptr ? main_form->dialog : nullptr,
                   Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QtForm form;
    build_dialog(dialog, kHistoryDialogLayout, form);
    const WindowHandle handle = handle_of(form);

    // Esc and the close box close it through QDialog's own reject; it keeps nothing.
    for (const auto& [id, widget] : form.controls) {
        const int clicked_id = id;
        on_click(widget, &dialog, [&, clicked_id] {
            if (history_dialog_command(handle, app, clicked_id) == DialogAction::Close) dialog.done(0);
        });
    }

    centre_on_screen(dialog);
    history_dialog_opened(handle, app);
    if (QWidget* first = control_widget(handle, IDC_HISTORY_ENTRIES)) first->setFocus();
    dialog.exec();
    if (main_form != nullptr && main_form->dialog != nullptr) main_form->dialog->activateWindow();
}

}  // namespace qv3
