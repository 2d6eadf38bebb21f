// The page's dialogs, built from the layout tables (ui/dialog_layouts.h).
#pragma once

#include "device/user_questions.h"
#include "ui/dialog_layout.h"

namespace qv3 {

// Creates window's elements, one per control of layout, in its order (which
// is the keyboard's); the dialog stays hidden until shown.
void build_dialog(WindowHandle window, const DialogLayout& layout);

}  // namespace qv3
