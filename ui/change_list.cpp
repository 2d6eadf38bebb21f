// Walks the bound controls of both dialogs over both banks, comparing the values they would show.
#include "ui/change_list.h"

#include <array>
#include <type_traits>

#include "model/config_fields.h"
#include "model/device_models.h"
#include "model/tracker_text.h"
#include "ui/control_names.h"
#include "ui/dialog_layouts.h"
#include "ui/form_values.h"
#include "ui/main_window.h"  // kTabTexts

namespace qv3 {

namespace {

constexpr const char* kArrow = " \xE2\x86\x92 ";  // " → "

// The value as the control shows it; an empty text says so, since an empty
// place in a line reads as a fault.
std::string shown_value(const LayoutControl& control, const ConfigRecord& record, const ConfigField& field,
                        std::size_t bank) {
    return visit_field_value(record, field, bank, [&](const auto& value) -> std::string {
        using T = std::remove_cvref_t<decltype(value)>;
        std::string text;
        if constexpr (std::is_same_v<T, std::string>) {
            text = tracker_to_utf8(value);
        } else if constexpr (std::is_same_v<T, char>) {
            text = value == '\0' ? std::string() : tracker_to_utf8(std::string(1, value));
        } else if constexpr (std::is_same_v<T, float>) {
            text = format_frequency(value);
        } else if (control.kind == ControlKind::CheckBox) {
            text = value != 0 ? "on" : "off";
        } else if (control.kind == ControlKind::DropList) {
            const long long index = static_cast<long long>(value) - control.first_item_value;
            const bool listed = index >= 0 && static_cast<unsigned long long>(index) < control.items.size();
            text = listed ? control.items[static_cast<std::size_t>(index)] : format_decimal(value);
        } else {
            text = format_decimal(value);
        }
        return text.empty() ? "(empty)" : text;
    });
}

// Calls visit(name, values) for every bound setting, the ones that exist
// once first, then each bank; values holds the setting's shown value in each
// of records.
template <std::size_t N, typename Visit>
void walk_settings(const std::array<const ConfigRecord*, N>& records, Visit&& visit) {
    const DialogLayout* layouts[] = {&kMainWindowLayout, &kTelemetryDialogLayout};
    for (const FieldScope scope : {FieldScope::Once, FieldScope::PerBank}) {
        const std::size_t banks = scope == FieldScope::Once ? 1 : kTabTexts.size();
        for (std::size_t bank = 0; bank < banks; ++bank) {
            for (const DialogLayout* layout : layouts) {
                for (const LayoutControl& control : layout->controls) {
                    const ConfigField* field = find_config_field(control.field);
                    if (control.id == kNoControlId || field == nullptr || field->scope != scope) continue;
                    std::array<std::string, N> values;
                    for (std::size_t i = 0; i < N; ++i) values[i] = shown_value(control, *records[i], *field, bank);
                    visit(bank_control_name(*layout, control.id, bank), values);
                }
            }
        }
    }
}

}  // namespace

std::vector<std::string> named_changes(const ConfigRecord& before, const ConfigRecord& after) {
    return write_change_lines(before, after, after);  // the form is what comes back: nothing is lost
}

std::vector<std::string> write_change_lines(const ConfigRecord& tracker, const ConfigRecord& form,
                                            const ConfigRecord& written) {
    const DeviceModelInfo& model = device_model_info(written.device_model);
    const std::string not_kept =
        "not kept by model " + std::to_string(model.code) + " (" + std::string(model.name) + ")";
    std::vector<std::string> lines;
    const ConfigRecord defaults{.device_model = written.device_model};
    walk_settings(std::array{&tracker, &form, &written, &defaults}, [&](const std::string& name, const auto& values) {
        const auto& [held, wanted, kept, default_value] = values;
        if (wanted != kept && wanted != default_value) {
            lines.push_back(name + ": " + wanted + kArrow + not_kept);
        } else if (held != kept) {
            lines.push_back(name + ": " + held + kArrow + kept);
        }
    });
    return lines;
}

}  // namespace qv3
