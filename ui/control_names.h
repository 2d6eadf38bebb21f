// Each control's name for people: what a screen reader says for it and what the form's messages call it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "device/user_questions.h"  // WindowHandle
#include "ui/dialog_layout.h"

namespace qv3 {

// The name of control id of the layout: its name column, else the text of the
// label that describes it, else its own text ("Send NMEA"); empty for a
// control the layout does not have.
std::string_view control_name(const DialogLayout& layout, int id);

// What a screen reader calls control id while the window shows bank (0 the
// primary, 1 the secondary): a control of the bank shown says which
// ("Primary Callsign", "Secondary Mic-E Path"), since the tabs show either
// bank in the same controls; any other is named as control_name names it.
std::string bank_control_name(const DialogLayout& layout, int id, std::size_t bank);

// Gives every control of window that shows a bank its bank_control_name
// (set_control_name of the form seam); called once the window's controls
// exist and whenever the bank it shows changes.
void name_bank_controls(WindowHandle window, const DialogLayout& layout, std::size_t bank);

}  // namespace qv3
