// A control's name from its layout row (name column, label or own text), and with the bank it shows.
#include "ui/control_names.h"

#include "ui/form_access.h"
#include "ui/main_window.h"  // kTabTexts, the banks' names

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

std::string bank_control_name(const DialogLayout& layout, int id, std::size_t bank) {
    const std::string name(control_name(layout, id));
    for (const LayoutControl& control : layout.controls) {
        if (control.id != id || control.bank != BankScope::Selected || name.empty()) continue;
        return std::string(kTabTexts[bank < kTabTexts.size() ? bank : 0]) + " " + name;
    }
    return name;
}

void name_bank_controls(WindowHandle window, const DialogLayout& layout, std::size_t bank) {
    for (const LayoutControl& control : layout.controls) {
        if (control.id == kNoControlId || control.bank != BankScope::Selected) continue;
        set_control_name(window, control.id, bank_control_name(layout, control.id, bank));
    }
}

}  // namespace qv3
