// A control's name from its layout row: the name column, the label that describes it, or its own text.
#include "ui/control_names.h"

namespace qv3 {

std::string_view control_name(const DialogLayout& layout, int id) {
    if (id == kNoControlId) return {};
    std::string_view label;
    for (const LayoutControl& control : layout.controls) {
        if (control.kind == ControlKind::Label && control.describes == id) label = control.text;
        if (control.id != id) continue;
        if (*control.name != '\0') return control.name;
        return label.empty() ? std::string_view(control.text) : label;
    }
    return {};
}

}  // namespace qv3
