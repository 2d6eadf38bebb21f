// Walks a dialog's layout to copy bound fields between record and controls, converting by control and field kind.
#include "ui/field_binding.h"

#include <string>
#include <type_traits>

#include "model/config_fields.h"
#include "ui/form_fields.h"

namespace qv3 {

namespace {

// Calls visit(control, slot) for each bound control with a reference to the
// value of the field it shows. Record is ConfigRecord or const ConfigRecord.
template <typename Record, typename Visitor>
void visit_bound_fields(const DialogLayout& layout, Record& record, Visitor&& visit) {
    const std::size_t bank = bank_index(record);
    for (const LayoutControl& control : layout.controls) {
        const ConfigField* field = find_config_field(control.field);
        if (control.id == kNoControlId || field == nullptr) continue;
        visit_field_value(record, *field, bank, [&](auto& slot) { visit(control, slot); });
    }
}

}  // namespace

void fill_drop_lists(WindowHandle window, const DialogLayout& layout) {
    for (const LayoutControl& control : layout.controls) {
        if (control.kind == ControlKind::DropList) fill_list(window, control.id, control.items);
    }
}

void show_bound_fields(WindowHandle window, const DialogLayout& layout, const ConfigRecord& record) {
    visit_bound_fields(layout, record, [window](const LayoutControl& c, const auto& value) {
        using T = std::remove_cvref_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::string>) {
            show_tracker_text(window, c.id, value);
        } else if constexpr (std::is_same_v<T, char>) {
            show_character(window, c.id, value);
        } else if constexpr (std::is_same_v<T, float>) {
            show_frequency(window, c.id, value);
        } else if (c.kind == ControlKind::CheckBox) {
            show_check(window, c.id, static_cast<uint8_t>(value));
        } else if (c.kind == ControlKind::DropList) {
            show_list_index(window, c.id, static_cast<long long>(value) - c.first_item_value, c.items.size());
        } else {
            show_decimal(window, c.id, value);
        }
    });
}

void store_bound_fields(WindowHandle window, const DialogLayout& layout, ConfigRecord& record) {
    visit_bound_fields(layout, record, [window](const LayoutControl& c, auto& field) {
        using T = std::remove_cvref_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::string>) {
            // A text the tracker cannot store leaves the field as it was
            // (unstorable_text finds it first, where it matters).
            const TrackerText text = read_text_field(window, c.id);
            if (text.outcome == TrackerTextOutcome::Stored) field = text.bytes;
        } else if constexpr (std::is_same_v<T, char>) {
            const TrackerText text = read_character_field(window, c.id);
            if (text.outcome == TrackerTextOutcome::Stored) field = text.bytes.empty() ? '\0' : text.bytes.front();
        } else if constexpr (std::is_same_v<T, float>) {
            field = read_frequency_field(window, c.id);
        } else if (c.kind == ControlKind::CheckBox) {
            field = read_check_field(window, c.id);
        } else if (c.kind == ControlKind::DropList) {
            // No selection (-1) keeps its low bits: 255 in an 8-bit field.
            field = static_cast<T>(get_selection(window, c.id) + c.first_item_value);
        } else {
            // The field keeps the low bits of the number that fit its type.
            field = static_cast<T>(read_decimal_field(window, c.id));
        }
    });
}

std::optional<UnstorableText> unstorable_text(WindowHandle window, const DialogLayout& layout) {
    for (const LayoutControl& control : layout.controls) {
        const ConfigField* field = find_config_field(control.field);
        if (control.id == kNoControlId || field == nullptr) continue;
        TrackerText text;
        if (field->kind == FieldKind::Text) {
            text = read_text_field(window, control.id);
        } else if (field->kind == FieldKind::Char) {
            text = read_character_field(window, control.id);
        }
        if (text.outcome != TrackerTextOutcome::Stored) return UnstorableText{control.id, tracker_text_problem(text)};
    }
    return std::nullopt;
}

std::string_view control_help(const DialogLayout& layout, int id) {
    if (id == kNoControlId) return {};
    for (const LayoutControl& control : layout.controls) {
        if (control.id != id) continue;
        const ConfigField* field = find_config_field(control.field);
        return field != nullptr ? field->help : std::string_view();
    }
    return {};
}

}  // namespace qv3
