// quorvale3config.exe --version. A window program has no console of its own:
// the text goes to the handle it was given (a pipe or file), else to the
// console of the command prompt that started it, else into a message box.
#include "ui/win32/version_option_win32.h"

#include <windows.h>

#include <string_view>

#include "qv3_version.h"

namespace qv3 {

namespace {

bool usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

bool answer_version_option(const char* command_line) {
    if (command_line == nullptr || trimmed(command_line) != "--version") return false;

    constexpr std::string_view text = "quorvale3config " QV3_VERSION "\r\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    bool opened = false;
    if (!usable(out) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        out = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                          nullptr);
        opened = usable(out);
    }
    DWORD written = 0;
    const bool printed = usable(out) && WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written,
                                                  nullptr) && written == text.size();
    if (opened) CloseHandle(out);
    if (!printed) MessageBoxA(nullptr, "Quorvale3Config " QV3_VERSION, "Quorvale3Config", MB_OK | MB_ICONINFORMATION);
    return true;
}

}  // namespace qv3
