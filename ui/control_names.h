// Each control's name for people: what a screen reader says for it and what the form's messages call it.
#pragma once

#include <string_view>

#include "ui/dialog_layout.h"

namespace qv3 {

// The name of control id of the layout: its name column, else the text of the
// label that describes it, else its own text ("Send NMEA"); empty for a
// control the layout does not have.
std::string_view control_name(const DialogLayout& layout, int id);

}  // namespace qv3
