// Window texts as UTF-8, for every text the Windows program puts into or reads from a window.
#include "ui/win32/control_text_win32.h"

#include "files/system_text_win32.h"

#include <vector>

namespace qv3 {

std::string window_text_utf8(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return utf8_text(std::wstring_view(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0u));
}

bool set_window_text_utf8(HWND window, std::string_view utf8) {
    return SetWindowTextW(window, wide_text(utf8.substr(0, utf8.find('\0'))).c_str()) != FALSE;
}

}  // namespace qv3
