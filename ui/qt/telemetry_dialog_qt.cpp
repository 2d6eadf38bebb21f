// The telemetry dialog over Qt: built from its layout, modal over the main window, forwarding to the telemetry binding.
#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/host_services.h"
#include "ui/qt/modal_dialog_qt.h"
#include "ui/telemetry_binding.h"

namespace qv3 {

// Esc cancels, storing nothing; the close box keeps the edits, like OK.
void show_telemetry_dialog(WindowHandle owner, ConfigRecord& record) {
    run_modal_dialog(
        owner, kTelemetryDialogLayout, IDX_SEND_TELEMETRY,
        [&](WindowHandle dialog) { telemetry_dialog_opened(dialog, record); },
        [&](WindowHandle dialog, int id) { return telemetry_dialog_command(dialog, record, id); },
        [&](WindowHandle dialog) { return telemetry_dialog_close_box(dialog, record); });
}

}  // namespace qv3
