// The form_access.h functions for the Windows dialogs: controls reached by GetDlgItem and their messages.
#include "ui/form_access.h"

#include <windows.h>

#include <string>
#include <vector>

namespace qv3 {

namespace {

HWND window_of(WindowHandle window) { return reinterpret_cast<HWND>(window); }

HWND control_of(WindowHandle window, int id) { return GetDlgItem(window_of(window), id); }

int item_count(HWND control) { return static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0)); }

}  // namespace

std::string get_text(WindowHandle window, int id, std::size_t max_chars) {
    if (control_of(window, id) == nullptr) return std::string();
    // GetDlgItemTextA takes an int count; the form never asks for more than a few hundred.
    constexpr std::size_t kLargestRead = 65535;
    if (max_chars > kLargestRead) max_chars = kLargestRead;
    std::vector<char> buffer(max_chars + 1, '\0');
    const UINT copied = GetDlgItemTextA(window_of(window), id, buffer.data(), static_cast<int>(buffer.size()));
    if (copied > max_chars) return std::string();
    return std::string(buffer.data(), copied);
}

void set_text(WindowHandle window, int id, std::string_view text) {
    if (control_of(window, id) == nullptr) return;
    const std::string terminated(text.substr(0, text.find('\0')));
    SetDlgItemTextA(window_of(window), id, terminated.c_str());
}

bool get_check(WindowHandle window, int id) {
    if (control_of(window, id) == nullptr) return false;
    return IsDlgButtonChecked(window_of(window), id) == BST_CHECKED;
}

void set_check(WindowHandle window, int id, bool checked) {
    if (control_of(window, id) == nullptr) return;
    CheckDlgButton(window_of(window), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

int get_selection(WindowHandle window, int id) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return -1;
    const LRESULT selected = SendMessageA(control, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

void set_selection(WindowHandle window, int id, int index) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return;
    // An index outside the list clears the selection, like -1.
    const bool inside = index >= 0 && index < item_count(control);
    SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(inside ? index : -1), 0);
}

void add_list_item(WindowHandle window, int id, std::string_view text) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return;
    const std::string item(text.substr(0, text.find('\0')));
    SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void clear_list(WindowHandle window, int id) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return;
    SendMessageA(control, CB_RESETCONTENT, 0, 0);
}

void set_enabled(WindowHandle window, int id, bool enabled) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return;
    EnableWindow(control, enabled ? TRUE : FALSE);
}

bool is_enabled(WindowHandle window, int id) {
    const HWND control = control_of(window, id);
    return control != nullptr && IsWindowEnabled(control) != FALSE;
}

}  // namespace qv3
