// The Windows program's one crossing between the form's UTF-8 and the UTF-16 of the wide API its windows speak.
#pragma once

#include <windows.h>

#include "files/system_text_win32.h"

#include <string>
#include <string_view>

namespace qv3 {

// The conversions themselves are files/system_text_win32.h's wide_text and utf8_text.

// A window's whole text (WM_GETTEXT, wide) as UTF-8.
std::string window_text_utf8(HWND window);

// Replaces a window's text (WM_SETTEXT, wide) with UTF-8 text; false when refused.
bool set_window_text_utf8(HWND window, std::string_view utf8);

}  // namespace qv3
