// Windows: every path and argument crosses to the wide API here, as UTF-16, and comes back as UTF-8.
#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <iterator>
#include <memory>
#include <string>

#include "files/system_text.h"
#include "files/system_text_win32.h"

namespace qv3 {

std::wstring wide_text(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string utf8_text(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string last_error_reason() {
    const DWORD error = GetLastError();
    if (error == ERROR_SUCCESS) return {};
    wchar_t words[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                        words, static_cast<DWORD>(std::size(words)), nullptr);
    std::wstring_view text(words, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.')) {
        text.remove_suffix(1);
    }
    if (text.empty()) return "system error " + std::to_string(error);
    return utf8_text(text);
}

std::FILE* open_file(const std::string& path, const char* mode) {
    return _wfopen(wide_text(path).c_str(), wide_text(mode).c_str());
}

std::vector<std::string> program_arguments(int, char**) {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> words(CommandLineToArgvW(GetCommandLineW(), &count),
                                                              &LocalFree);
    std::vector<std::string> arguments;
    if (!words) return arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(utf8_text(words.get()[i]));
    return arguments;
}

}  // namespace qv3
