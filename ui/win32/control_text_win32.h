// The Windows program's one crossing between the form's UTF-8 and the UTF-16 of the wide API its windows speak.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qv3 {

// UTF-8 as UTF-16; a sequence that is not UTF-8 becomes U+FFFD.
std::wstring utf16_from_utf8(std::string_view utf8);

// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8_from_utf16(std::wstring_view utf16);

// A window's whole text (WM_GETTEXT, wide) as UTF-8.
std::string window_text_utf8(HWND window);

// Replaces a window's text (WM_SETTEXT, wide) with UTF-8 text; false when refused.
bool set_window_text_utf8(HWND window, std::string_view utf8);

}  // namespace qv3
