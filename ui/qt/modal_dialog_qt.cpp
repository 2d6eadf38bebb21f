// The telemetry and history dialogs' one way of running over Qt.
#include "ui/qt/modal_dialog_qt.h"

#include <QDialog>
#include <QWidget>

#include "ui/qt/close_forwarder_qt.h"
#include "ui/qt/dialog_builder_qt.h"
#include "ui/qt/window_placement_qt.h"

namespace qv3 {

void run_modal_dialog(WindowHandle owner, const DialogLayout& layout, int first_focus,
                      const std::function<void(WindowHandle)>& opened,
                      const std::function<DialogAction(WindowHandle, int)>& command,
                      const std::function<DialogAction(WindowHandle)>& close_box) {
    const QtForm* main_form = form_of(owner);
    QDialog dialog(main_form != nullptr ? main_form->dialog : nullptr,
                   Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QtForm form;
    build_dialog(dialog, layout, form);
    const WindowHandle handle = handle_of(form);
    const auto finish = [&dialog](DialogAction action) {
        if (action == DialogAction::Close) dialog.done(0);
    };
    for (const auto& [id, widget] : form.controls) {
        const int clicked_id = id;
        on_click(widget, &dialog, [&, clicked_id] { finish(command(handle, clicked_id)); });
    }
    if (close_box) new CloseForwarder(&dialog, [&] { finish(close_box(handle)); });

    centre_on_screen(dialog);
    opened(handle);
    if (QWidget* first = control_widget(handle, first_focus)) first->setFocus();
    dialog.exec();
    if (main_form != nullptr && main_form->dialog != nullptr) main_form->dialog->activateWindow();
}

}  // namespace qv3
