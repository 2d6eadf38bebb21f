// Test helpers of the in-memory form that stands in for the window system's controls.
#pragma once

#include <string>
#include <vector>

#include "ui/form_access.h"

namespace qv3::test {

// A new, empty window. Its controls come into being on first use: empty
// text, unchecked, no items, nothing selected, enabled.
WindowHandle new_fake_window();

// Forgets every fake window.
void reset_fake_forms();

// The items of a list or combo box, in order.
std::vector<std::string> fake_list_items(WindowHandle window, int id);

// Ids of the window's controls that are disabled, ascending.
std::vector<int> fake_disabled_controls(WindowHandle window);

// From now on get_text of the control fails (and so reads as empty).
void fake_fail_text_reads(WindowHandle window, int id);

}  // namespace qv3::test
