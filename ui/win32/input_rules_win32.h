// The upper-case input rule on Windows: an edit's text kept in typed_capitals as it changes.
#pragma once

#include <windows.h>

#include "ui/dialog_layout.h"

namespace qv3 {

// After control id of the dialog reported EN_CHANGE: when its layout row has
// the upper-case rule, the text becomes typed_capitals of it, with the caret
// and selection where they were. Typing, pasting and the program's own texts
// all pass here.
void keep_input_rules(HWND dialog, const DialogLayout& layout, int id);

}  // namespace qv3
