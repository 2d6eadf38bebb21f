// Holding the main window's form during a write: edits read-only, boxes and lists disabled, the rules' enabling after it.
#include "ui/form_hold.h"

#include "model/config_fields.h"
#include "ui/dialog_layouts.h"
#include "ui/form_rules.h"

namespace qv3 {

void hold_bound_fields(WindowHandle window, const DialogLayout& layout, bool held) {
    for (const LayoutControl& control : layout.controls) {
        if (control.id == kNoControlId || find_config_field(control.field) == nullptr) continue;
        if (control.kind == ControlKind::Edit) {
            set_read_only(window, control.id, held);
        } else {
            set_enabled(window, control.id, !held);
        }
    }
}

void update_main_window_enabling(App& app) {
    const bool held = write_under_way(app.protocol);
    if (app.form_held && !held) hold_bound_fields(app.window, kMainWindowLayout, false);
    update_enabling(app.window, kMainWindowRules, app.record);
    if (held) hold_bound_fields(app.window, kMainWindowLayout, true);
    app.form_held = held;
}

}  // namespace qv3
