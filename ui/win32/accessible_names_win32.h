// Screen readers' names on Windows: every edit, check box and list named as the layout names it.
#pragma once

#include <windows.h>

#include "ui/dialog_layout.h"

namespace qv3 {

// Annotates each edit, check box and drop list of dialog that shows no bank
// with its name (control_name): by itself Windows names an edit or a list
// after the label before it and a check box after its own text, which leaves
// three boxes called "Enable" and the Mic-E fields without their group. The
// controls of a bank are annotated by the shared form through set_control_name
// (ui/form_access.h, defined here), with the bank shown. Where the system's
// annotation service is missing the controls keep those names.
void name_controls(HWND dialog, const DialogLayout& layout);

// Removes the annotations of name_controls and set_control_name; called as
// dialog is destroyed, since the system keeps them beside the window handle
// until then.
void forget_control_names(HWND dialog, const DialogLayout& layout);

}  // namespace qv3
