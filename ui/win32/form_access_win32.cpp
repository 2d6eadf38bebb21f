// The form_access.h functions for the Windows dialogs: controls reached by GetDlgItem and their wide messages.
#include "ui/form_access.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "ui/form_fields.h"
#include "ui/win32/control_text_win32.h"

namespace qv3 {

namespace {

HWND window_of(WindowHandle window) { return reinterpret_cast<HWND>(window); }

HWND control_of(WindowHandle window, int id) { return GetDlgItem(window_of(window), id); }

// The tab control answers its own messages where the lists answer CB_ ones.
bool is_tab_control(HWND control) {
    std::array<wchar_t, 32> name{};
    GetClassNameW(control, name.data(), static_cast<int>(name.size()));
    return lstrcmpiW(name.data(), WC_TABCONTROLW) == 0;
}

int item_count(HWND control) {
    return static_cast<int>(SendMessageW(control, is_tab_control(control) ? TCM_GETITEMCOUNT : CB_GETCOUNT, 0, 0));
}

}  // namespace

std::string get_text(WindowHandle window, int id, std::size_t max_chars) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return std::string();
    return first_characters(window_text_utf8(control), max_chars);
}

void set_text(WindowHandle window, int id, std::string_view text) {
    const HWND control = control_of(window, id);
    if (control != nullptr) set_window_text_utf8(control, text);
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
    const LRESULT selected = SendMessageW(control, is_tab_control(control) ? TCM_GETCURSEL : CB_GETCURSEL, 0, 0);
    return selected < 0 ? -1 : static_cast<int>(selected);
}

void set_selection(WindowHandle window, int id, int index) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return;
    // An index outside the list clears the selection, like -1. A tab control
    // always shows one tab: there it selects nothing new, and, as a click on
    // a tab would not, sends no TCN_SELCHANGE.
    const bool inside = index >= 0 && index < item_count(control);
    if (is_tab_control(control)) {
        if (inside) SendMessageW(control, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(inside ? index : -1), 0);
}

// The dialog shows names alone, as it always has (the COM probe describes no port).
void add_list_item(WindowHandle window, int id, std::string_view text, std::string_view /*description*/) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return;
    const std::wstring item = wide_text(text.substr(0, text.find('\0')));
    SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void clear_list(WindowHandle window, int id) {
    const HWND control = control_of(window, id);
    if (control == nullptr) return;
    SendMessageW(control, CB_RESETCONTENT, 0, 0);
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

// Only an edit answers EM_SETREADONLY; its text turns grey on the dialog's background.
void set_read_only(WindowHandle window, int id, bool read_only) {
    const HWND control = control_of(window, id);
    std::array<wchar_t, 32> name{};
    if (control == nullptr || GetClassNameW(control, name.data(), static_cast<int>(name.size())) == 0) return;
    if (lstrcmpiW(name.data(), WC_EDITW) == 0) SendMessageW(control, EM_SETREADONLY, read_only ? TRUE : FALSE, 0);
}

void set_focus(WindowHandle window, int id) {
    const HWND control = control_of(window, id);
    // The dialog manager's way: the default button follows, an edit's text is selected.
    if (control != nullptr) SendMessageW(window_of(window), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

}  // namespace qv3
