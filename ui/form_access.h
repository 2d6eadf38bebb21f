// The seam between the form logic and a window system: control access by window handle and control id.
//
// One implementation per front end, chosen at link time: ui/win32/form_access_win32.cpp
// for the Windows dialogs, ui/qt/form_access_qt.cpp for the native window,
// ui/web/form_access_web.cpp for the page, and tests/ui/ui_fakes.cpp (an
// in-memory table of controls) for tests.
// A control that does not exist reads as empty, unchecked and unselected, and
// writes to it do nothing. Texts cross as UTF-8, what was typed; a count of
// characters counts characters, not bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/user_questions.h"  // WindowHandle

namespace qv3 {

// The control's text, at most max_chars characters; empty when it cannot be read.
std::string get_text(WindowHandle window, int id, std::size_t max_chars);

// Replaces the control's text (a NUL inside ends it).
void set_text(WindowHandle window, int id, std::string_view text);

bool get_check(WindowHandle window, int id);
void set_check(WindowHandle window, int id, bool checked);

// Index of the selected item of a list or combo box; -1 when none is.
int get_selection(WindowHandle window, int id);

// Selects the item at index; -1, or an index outside the list, selects none.
void set_selection(WindowHandle window, int id, int index);

// Appends an item at the end of a list or combo box (lists are not sorted).
// A front end that shows descriptions (the native window's port box) shows
// description after the text in the list; choosing the item puts the text
// alone in the field.
void add_list_item(WindowHandle window, int id, std::string_view text, std::string_view description = {});

// Removes every item of a list or combo box; nothing stays selected.
void clear_list(WindowHandle window, int id);

// Enables or disables a control; its value is left as it is.
void set_enabled(WindowHandle window, int id, bool enabled);

bool is_enabled(WindowHandle window, int id);

// Makes an edit read-only (its text can still be read, selected and copied)
// or changeable again; its enabled state is left as it is. Other controls
// ignore it.
void set_read_only(WindowHandle window, int id, bool read_only);

// Gives the control the keyboard focus (the window's focus once it is active again).
void set_focus(WindowHandle window, int id);

// Gives the control the name a screen reader says for it (ui/control_names.h),
// in place of the one it was built with.
void set_control_name(WindowHandle window, int id, std::string_view name);

}  // namespace qv3
