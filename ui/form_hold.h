// The main window's form held unchangeable while a write is under way, and its enabling.
#pragma once

#include "ui/app.h"
#include "ui/dialog_layout.h"
#include "ui/form_access.h"

namespace qv3 {

// Makes every control of the layout that shows a field unchangeable (held)
// or changeable again: an edit read-only, a check box or a list disabled.
// Releasing enables every such box and list; the form's rules then disable
// theirs again (update_enabling).
void hold_bound_fields(WindowHandle window, const DialogLayout& layout, bool held);

// The main window's enabling by its rules (update_enabling), with the form
// held from the click on Write Config to the end of the verification
// (write_under_way): what was typed meanwhile would be replaced by the
// written values when the write ends. Once the write is over, however it
// ended, the form is released and the rules' enabling is what it would be
// without the hold.
void update_main_window_enabling(App& app);

}  // namespace qv3
