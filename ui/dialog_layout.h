// The shape of a dialog's layout: every control once, with its kind, id, text, rectangle and input rules, for any front end.
//
// A layout is plain constant data, free of any window system's types. Each
// front end builds its dialogs from it (ui/win32/dialog_builder_win32.cpp
// turns it into a Windows dialog template) and maps the portable kinds and
// rules to its own widgets and styles.
#pragma once

#include <cstddef>
#include <span>

namespace qv3 {

// Id of a control nothing refers to: labels, units and group boxes.
constexpr int kNoControlId = -1;

// The kinds of control. Every kind but the statics and GroupBox is a keyboard
// tab stop; the tab order is the order of the layout, round in a cycle.
enum class ControlKind {
    Tabs,        // the row of tabs that chooses the bank the form shows; arrow keys switch on it
    Label,       // right-aligned text standing to the left of the control it names
    Unit,        // left-aligned text standing to the right of its control
    StatusText,  // left-aligned, one line, shown as is (no '&' shortcut)
    GroupBox,    // a frame with a caption around related controls
    Edit,        // a text field (see the input rules)
    CheckBox,    // a box that toggles when clicked
    Button,      // a push button
    DropList,    // a list that drops down, a fixed choice, not typed into
    ComboEdit,   // a list that drops down over a field one may type into
};

// Input rules of an edit field and the default button, as bits of
// LayoutControl::rules.
enum ControlRule : unsigned {
    kRuleNone = 0,
    kRuleUpperCase = 1u << 0,   // typed letters become capitals
    kRuleDigitsOnly = 1u << 1,  // only decimal digits can be typed
    kRuleMultiLine = 1u << 2,   // Enter starts a new line; long lines scroll sideways; no vertical scrolling
    kRuleDefault = 1u << 3,     // the button that Enter presses
    kRuleScrolls = 1u << 4,     // multi-line: a vertical scroll bar, for more lines than it shows
};

// Position and size in dialog units: x and width in quarters of the font's
// average character width, y and height in eighths of its height.
struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Which bank of the record a control shows.
enum class BankScope {
    None,      // not a setting, or a setting that exists once
    Selected,  // the bank the tab control (or active_bank) selects
};

// One control. Order in the layout is creation order and keyboard order.
struct LayoutControl {
    ControlKind kind = ControlKind::Label;
    int id = kNoControlId;
    // The caption, label or unit text; empty for fields and lists.
    const char* text = "";
    // For lists the height includes the dropped-down list.
    DialogRect rect;
    unsigned rules = kRuleNone;
    // Label and Unit: the id of the control they describe.
    int describes = kNoControlId;
    BankScope bank = BankScope::None;
    // The record field shown, by its settings-text key without the bank
    // prefix ("callsign" for primary.callsign); empty when none.
    const char* field = "";
    // The most characters the form reads from the control; 0 when it reads none.
    std::size_t read_limit = 0;
    // What screen readers and the form's messages call the control, where the
    // label before it or its own text does not say it alone (a repeated
    // "Enable", a "Text" that is the status text); empty: that label's text,
    // else its own (control_name, ui/control_names.h).
    const char* name = "";
    // DropList: its items in order, and the field value of the first; the
    // record keeps the position of the selected item plus first_item_value.
    std::span<const char* const> items{};
    int first_item_value = 0;
};

// A dialog: fixed size, a caption with a close box and no resizing frame.
struct DialogLayout {
    const char* caption;
    int width;   // dialog units
    int height;  // dialog units
    const char* font_face;
    int font_points;
    std::span<const LayoutControl> controls;
};

// Helpers that keep the layout tables one readable line per control.
namespace layout {

constexpr LayoutControl label(const char* text, int describes, DialogRect rect) {
    return {ControlKind::Label, kNoControlId, text, rect, kRuleNone, describes};
}
constexpr LayoutControl unit(const char* text, int describes, DialogRect rect) {
    return {ControlKind::Unit, kNoControlId, text, rect, kRuleNone, describes};
}
constexpr LayoutControl group(const char* text, DialogRect rect) {
    return {ControlKind::GroupBox, kNoControlId, text, rect};
}
constexpr LayoutControl edit(int id, DialogRect rect, unsigned rules, const char* field, std::size_t read_limit,
                             BankScope bank = BankScope::Selected) {
    return {ControlKind::Edit, id, "", rect, rules, kNoControlId, bank, field, read_limit};
}
constexpr LayoutControl check(int id, const char* text, DialogRect rect, const char* field,
                              BankScope bank = BankScope::Selected) {
    return {ControlKind::CheckBox, id, text, rect, kRuleNone, kNoControlId, bank, field};
}
constexpr LayoutControl drop_list(int id, DialogRect rect, const char* field, std::span<const char* const> items,
                                  int first_item_value = 0) {
    return {ControlKind::DropList, id, "", rect, kRuleNone, kNoControlId, BankScope::Selected, field, 0, "", items,
            first_item_value};
}
constexpr LayoutControl button(int id, const char* text, DialogRect rect, unsigned rules = kRuleNone) {
    return {ControlKind::Button, id, text, rect, rules};
}
// The control with a name of its own (LayoutControl::name).
constexpr LayoutControl named(const char* name, LayoutControl control) {
    control.name = name;
    return control;
}

}  // namespace layout

}  // namespace qv3
