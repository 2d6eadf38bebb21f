// Builds a dialog of the page from its layout table: one element per control, in layout order.
#include "ui/web/dialog_builder_web.h"

#include <string>

#include "ui/control_names.h"
#include "ui/web/page_imports.h"

namespace qv3 {

void build_dialog(WindowHandle window, const DialogLayout& layout) {
    const int handle = static_cast<int>(window);
    qv3_dom_add_dialog(handle, layout.caption, layout.width, layout.height);
    for (const LayoutControl& control : layout.controls) {
        // Labels, units and group boxes are named by their text alone.
        const std::string name(control.id != kNoControlId ? control_name(layout, control.id) : std::string_view());
        qv3_dom_add_control(handle, static_cast<int>(control.kind), control.id, control.text, control.rect.x,
                            control.rect.y, control.rect.width, control.rect.height, control.rules, name.c_str(),
                            control.describes);
    }
}

}  // namespace qv3
