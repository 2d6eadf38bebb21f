// A dialog of the layout tables run modally over the main window: built, centred, its clicks handed to the shared logic.
#pragma once

#include <functional>

#include "device/user_questions.h"  // WindowHandle
#include "ui/dialog_layout.h"
#include "ui/telemetry_binding.h"  // DialogAction

namespace qv3 {

// Builds layout's dialog over owner's window, centres it, calls opened, puts
// the focus on first_focus and runs it until command (a click on a control)
// or close_box (its close box) answers Close. Without close_box, the close
// box closes it as Esc does, through QDialog's reject, keeping nothing.
void run_modal_dialog(WindowHandle owner, const DialogLayout& layout, int first_focus,
                      const std::function<void(WindowHandle)>& opened,
                      const std::function<DialogAction(WindowHandle, int)>& command,
                      const std::function<DialogAction(WindowHandle)>& close_box = {});

}  // namespace qv3
