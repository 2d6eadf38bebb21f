// The host_services.h functions for Windows: message boxes, the save and open file dialogs (UTF-8 paths), the file manager, quitting, standard error.
#include "ui/host_services.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <cwchar>
#include <string>

#include "ui/win32/control_text_win32.h"
#include "files/system_text_win32.h"

namespace qv3 {

namespace {

// The file dialogs' path buffer, in characters, terminating NUL included.
constexpr std::size_t kPathBufferChars = 260;

// One filter entry; the string ends with the double NUL the dialogs expect.
constexpr wchar_t kConfigFilter[] = L"Quorvale3 Files (*.qv3)\0*.qv3\0";
constexpr const wchar_t* kConfigExtension = L"qv3";

// The wide dialogs, so that any file name comes back whole: the files layer
// takes it as UTF-8 (files/system_text.h).
using PathBuffer = std::array<wchar_t, kPathBufferChars>;

OPENFILENAMEW file_dialog_of(WindowHandle owner, PathBuffer& path, DWORD flags) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = reinterpret_cast<HWND>(owner);
    dialog.lpstrFilter = kConfigFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = kConfigExtension;
    dialog.Flags = flags;
    return dialog;
}

std::string path_of(const PathBuffer& path) {
    return utf8_text(std::wstring_view(path.data(), wcsnlen(path.data(), path.size())));
}

std::string terminated(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

}  // namespace

// The questions and notices have no owner window and no icon; their UTF-8
// texts are shown whole through the wide function.
bool ask_ok_cancel(WindowHandle, std::string_view caption, std::string_view text) {
    const std::wstring title = wide_text(terminated(caption));
    const std::wstring body = wide_text(terminated(text));
    return MessageBoxW(nullptr, body.c_str(), title.c_str(), MB_OKCANCEL | MB_DEFBUTTON2) == IDOK;
}

void show_notice(WindowHandle, std::string_view caption, std::string_view text) {
    const std::wstring title = wide_text(terminated(caption));
    const std::wstring body = wide_text(terminated(text));
    MessageBoxW(nullptr, body.c_str(), title.c_str(), MB_OK);
}

std::optional<std::string> choose_save_file(WindowHandle owner, std::string_view initial_name) {
    PathBuffer path{};
    const std::wstring name = wide_text(terminated(initial_name)).substr(0, path.size() - 1);
    std::wmemcpy(path.data(), name.data(), name.size());
    OPENFILENAMEW dialog =
        file_dialog_of(owner, path, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES);
    if (!GetSaveFileNameW(&dialog)) return std::nullopt;
    return path_of(path);
}

std::optional<std::string> choose_open_file(WindowHandle owner) {
    PathBuffer path{};
    OPENFILENAMEW dialog =
        file_dialog_of(owner, path, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES);
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    return path_of(path);
}

// The folder in Explorer, or whatever the system opens folders with.
bool open_folder(std::string_view folder) {
    if (folder.empty()) return false;
    const std::wstring path = wide_text(terminated(folder));
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;  // larger than 32 is success, by ShellExecute's contract
}

// A reason given to Windows for holding up the end of the session goes with
// the program; without one the call fails and changes nothing.
void post_quit_request(WindowHandle owner, int exit_code) {
    ShutdownBlockReasonDestroy(reinterpret_cast<HWND>(owner));
    PostQuitMessage(exit_code);
}

// A program with no console usually has no standard error; when it was given
// one (a redirection), the line ends as a console program's text output does.
void print_to_standard_error(std::string_view line) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    const std::string text = std::string(line) + "\r\n";
    DWORD written = 0;
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace qv3
