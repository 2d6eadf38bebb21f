// The main window's dialog procedure: start-up, timer ticks, button clicks, tab switches, closing and the end of the session.
#include "ui/win32/main_window_win32.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <string>

#include "ui/control_ids.h"
#include "ui/dialog_layouts.h"
#include "ui/end_requests.h"
#include "ui/host_services.h"
#include "ui/main_window.h"
#include "ui/win32/console_events_win32.h"
#include "ui/win32/control_text_win32.h"
#include "ui/win32/input_rules_win32.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/accessible_names_win32.h"
#include "ui/win32/tooltips_win32.h"
#include "ui/win32/window_placement_win32.h"

namespace qv3 {

namespace {

App* app_of(HWND window) { return reinterpret_cast<App*>(GetWindowLongPtrA(window, DWLP_USER)); }

// Created first, the tab control lies above the controls standing on it and
// would paint over them; below them, and clipping them, it cannot. Its place
// in the keyboard order moves from first to last, between Load and Callsign
// as before: the round the Tab key makes stays the layout's.
void put_tab_control_below(HWND window) {
    SetWindowPos(GetDlgItem(window, IDC_TAB), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void insert_tabs(HWND window) {
    const HWND tabs = GetDlgItem(window, IDC_TAB);
    for (int index = 0; index < static_cast<int>(kTabTexts.size()); ++index) {
        std::wstring text = wide_text(kTabTexts[static_cast<std::size_t>(index)]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
}

// The program's icon in the caption and the task bar, in both sizes.
void set_icons(HWND window) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const auto load = [instance](int size_metric) {
        const int size = GetSystemMetrics(size_metric);
        return reinterpret_cast<LPARAM>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, size, size, LR_SHARED));
    };
    SendMessageA(window, WM_SETICON, ICON_BIG, load(SM_CXICON));
    SendMessageA(window, WM_SETICON, ICON_SMALL, load(SM_CXSMICON));
}

void initialise(HWND window, App& app) {
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&app));
    app.window = reinterpret_cast<WindowHandle>(window);
    // The controls lie on the tab control: give the whole window the tab's
    // background, so that labels and check boxes blend with it under themes.
    EnableThemeDialogTexture(window, ETDT_ENABLETAB);
    set_icons(window);
    put_tab_control_below(window);
    add_tooltips(window, kMainWindowLayout);
    name_controls(window, kMainWindowLayout);
    centre_on_screen(window, true);
    initialise_main_window(app);
    insert_tabs(window);
    SetTimer(window, static_cast<UINT_PTR>(kTimerId), static_cast<UINT>(kTimerPeriodMs), nullptr);
    SetFocus(GetDlgItem(window, IDE_CALLSIGN));
}

void tab_changed(HWND window, App& app) {
    const LRESULT selected = SendDlgItemMessageW(window, IDC_TAB, TCM_GETCURSEL, 0, 0);
    on_tab_changed(app, static_cast<int>(selected));
}

bool key_down(SHORT state) { return (state & 0x8000) != 0; }

}  // namespace

bool forward_bank_key(HWND window, const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
    App* app = app_of(window);
    if (app == nullptr) return false;
    // Alt+PgDn and Alt+PgUp, the bank keys a browser lets through to the page,
    // work here too. The key goes on to the window afterwards: a key pressed
    // with Alt that the window never saw would make the Alt key's release
    // open the window menu, as Alt pressed alone does.
    if (message.message == WM_SYSKEYDOWN) {
        const bool alt_alone = (HIWORD(message.lParam) & KF_ALTDOWN) != 0 && !key_down(GetKeyState(VK_CONTROL)) &&
                               !key_down(GetKeyState(VK_SHIFT));
        if (alt_alone && (message.wParam == VK_NEXT || message.wParam == VK_PRIOR)) {
            on_bank_key(*app, message.wParam == VK_NEXT ? 1 : -1);
        }
        return false;
    }
    if (!key_down(GetKeyState(VK_CONTROL)) || key_down(GetKeyState(VK_MENU))) return false;
    switch (message.wParam) {
        case VK_TAB:
            on_bank_key(*app, key_down(GetKeyState(VK_SHIFT)) ? -1 : 1);
            return true;
        case VK_NEXT:
            on_bank_key(*app, 1);
            return true;
        case VK_PRIOR:
            on_bank_key(*app, -1);
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        initialise(window, *reinterpret_cast<App*>(lparam));
        return FALSE;  // the focus is set
    }
    App* app = app_of(window);
    if (app == nullptr) return FALSE;
    switch (message) {
        case WM_TIMER:
            if (wparam != static_cast<WPARAM>(kTimerId)) return FALSE;
            on_timer(*app);
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wparam) == EN_CHANGE) {
                keep_input_rules(window, kMainWindowLayout, LOWORD(wparam));
                return TRUE;
            }
            // Buttons and check boxes only; the Esc key arrives as IDCANCEL, the "Quit" button's id.
            if (HIWORD(wparam) != BN_CLICKED) return FALSE;
            on_command(*app, LOWORD(wparam));
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header == nullptr || header->idFrom != IDC_TAB || header->code != static_cast<UINT>(TCN_SELCHANGE)) {
                return FALSE;
            }
            tab_changed(window, *app);
            return TRUE;
        }
        case WM_CLOSE:
            on_quit_request(*app);
            return TRUE;
        case WM_DESTROY:
            forget_control_names(window, kMainWindowLayout);
            return FALSE;
        case kEndRequestMessage:
            on_end_request(*app);
            return TRUE;
        case WM_QUERYENDSESSION:
            // Left to the default (the session may end) outside a write. During
            // one Windows shows the reason and waits; the program quits once
            // the write has been verified (post_quit_request takes the reason back).
            if (session_may_end(*app)) return FALSE;
            ShutdownBlockReasonCreate(window, L"Writing the tracker's configuration");
            SetWindowLongPtrA(window, DWLP_MSGRESULT, FALSE);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace qv3
