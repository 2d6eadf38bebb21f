// A dialog's controls and the record fields they show, paired by the layout's field column; each control's help.
#pragma once

#include <string_view>

#include "model/config_record.h"
#include "ui/dialog_layout.h"
#include "ui/form_access.h"

namespace qv3 {

// Shows every field the layout binds: a value that exists once as it is, a
// per-bank field's element active_bank. Values and selections only.
void show_bound_fields(WindowHandle window, const DialogLayout& layout, const ConfigRecord& record);

// Stores every bound control, enabled or not, into its field (element
// active_bank of a per-bank one). Fields no control shows stay as they are.
void store_bound_fields(WindowHandle window, const DialogLayout& layout, ConfigRecord& record);

// The one-line help of the field that control id of the layout shows, for its
// tooltip; empty when the control shows no field.
std::string_view control_help(const DialogLayout& layout, int id);

}  // namespace qv3
