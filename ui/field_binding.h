// A dialog's controls and the record fields they show, paired by the layout's field column; each control's help.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/config_record.h"
#include "ui/dialog_layout.h"
#include "ui/form_access.h"

namespace qv3 {

// Fills every drop-down list of the layout with its row's items and selects
// the first item.
void fill_drop_lists(WindowHandle window, const DialogLayout& layout);

// Shows every field the layout binds: a value that exists once as it is, a
// per-bank field's element active_bank. Values and selections only.
void show_bound_fields(WindowHandle window, const DialogLayout& layout, const ConfigRecord& record);

// Stores every bound control, enabled or not, into its field (element
// active_bank of a per-bank one). Fields no control shows stay as they are,
// and so does a text field whose control holds a character the tracker
// cannot store: nothing is stored in its place.
void store_bound_fields(WindowHandle window, const DialogLayout& layout, ConfigRecord& record);

// A bound text control whose text, as the form reads it, holds a character
// the tracker cannot store: the first one in the layout's order, and what is
// wrong ("the tracker cannot store the character 'Ω' (U+03A9)").
struct UnstorableText {
    int id;
    std::string problem;
};
std::optional<UnstorableText> unstorable_text(WindowHandle window, const DialogLayout& layout);

// The one-line help of the field that control id of the layout shows, for its
// tooltip; empty when the control shows no field.
std::string_view control_help(const DialogLayout& layout, int id);

}  // namespace qv3
