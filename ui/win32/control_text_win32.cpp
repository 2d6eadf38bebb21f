// UTF-8 and UTF-16 both ways, for every text the Windows program puts into or reads from a window.
#include "ui/win32/control_text_win32.h"

#include <climits>
#include <vector>

namespace qv3 {

std::wstring utf16_from_utf8(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring utf16(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, utf16.data(), length);
    return utf16;
}

std::string utf8_from_utf16(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return {};
    const int size = static_cast<int>(utf16.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string window_text_utf8(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return utf8_from_utf16(std::wstring_view(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0u));
}

bool set_window_text_utf8(HWND window, std::string_view utf8) {
    return SetWindowTextW(window, utf16_from_utf8(utf8.substr(0, utf8.find('\0'))).c_str()) != FALSE;
}

}  // namespace qv3
