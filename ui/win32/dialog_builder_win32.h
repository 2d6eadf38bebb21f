// Windows dialogs made from the layouts of ui/dialog_layouts.h: an in-memory dialog template, then the dialog.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/dialog_layout.h"

namespace qv3 {

// The window styles a control of the layout gets (WS_CHILD and WS_VISIBLE included).
DWORD control_style(const LayoutControl& control);

// The DLGTEMPLATEEX of a layout, with its items, ready for the *Indirect*
// dialog functions (the vector's storage is suitably aligned).
std::vector<std::uint8_t> dialog_template(const DialogLayout& layout);

// CreateDialogIndirectParamW over dialog_template(layout): a modeless dialog.
HWND create_dialog(const DialogLayout& layout, HWND owner, DLGPROC procedure, LPARAM parameter);

// DialogBoxIndirectParamW over dialog_template(layout): a modal dialog and its result.
INT_PTR run_modal_dialog(const DialogLayout& layout, HWND owner, DLGPROC procedure, LPARAM parameter);

}  // namespace qv3
