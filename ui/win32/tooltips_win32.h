// Tooltips on Windows: each control of a dialog that shows a setting gets that setting's help.
#pragma once

#include <windows.h>

#include "ui/dialog_layout.h"

namespace qv3 {

// Creates one tooltip control owned by dialog and adds a tool for every
// control of layout that has help (control_help). The tooltip is a separate
// pop-up window, so the dialog's own controls stay as the layout makes them.
void add_tooltips(HWND dialog, const DialogLayout& layout);

}  // namespace qv3
