// The telemetry dialog over Qt: built from its layout, modal over the main window, forwarding to the telemetry binding.
#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/host_services.h"
#include "ui/qt/close_forwarder_qt.h"
#include "ui/qt/dialog_builder_qt.h"
#include "ui/qt/window_placement_qt.h"
#include "ui/telemetry_binding.h"

namespace qv3 {

void show_telemetry_dialog(WindowHandle owner, ConfigRecord& record) {
    const QtForm* main_form = form_of(owner);
    QDialog dialog(main_form != nullptr ? main_form->dialog : nullptr,
                   Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QtForm form;
    build_dialog(dialog, kTelemetryDialogLayout, form);
    const WindowHandle handle = handle_of(form);
    const auto finish = [&dialog](DialogAction action) {
        if (action == DialogAction::Close) dialog.done(0);
    };

    // Clicks go to the binding; Esc closes through QDialog's reject, storing nothing.
    for (const auto& [id, widget] : form.controls) {
        const int clicked_id = id;
        on_click(widget, &dialog, [&, clicked_id] { finish(telemetry_dialog_command(handle, record, clicked_id)); });
    }
    // The close box keeps the edits, like OK.
    new CloseForwarder(&dialog, [&] { finish(telemetry_dialog_close_box(handle, record)); });

    centre_on_screen(dialog);
    telemetry_dialog_opened(handle, record);
    if (QWidget* first = control_widget(handle, IDX_SEND_TELEMETRY)) first->setFocus();
    dialog.exec();
    if (main_form != nullptr && main_form->dialog != nullptr) main_form->dialog->activateWindow();
}

}  // namespace qv3
