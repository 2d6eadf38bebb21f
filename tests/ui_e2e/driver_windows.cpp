// Window helpers of the UI driver: top-level windows by caption, bounded messages, clicks on buttons and tabs.
#include "tests/ui_e2e/driver_windows.h"

#include <commctrl.h>

#include <array>

#include "ui/win32/control_text_win32.h"

namespace qv3::driver {

namespace {

constexpr int kTextBufferChars = 4096;

std::string caption_of(HWND window) {
    std::array<char, kTextBufferChars> buffer{};
    const int length = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0u);
}

std::string class_of(HWND window) {
    std::array<char, 256> buffer{};
    const int length = GetClassNameA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0u);
}

struct CaptionSearch {
    const std::string* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_dialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<CaptionSearch*>(context);
    if (IsWindowVisible(window) && class_of(window) == "#32770" && caption_of(window) == *search->caption) {
        search->found.push_back(window);
    }
    return TRUE;
}

// The rectangle of a tab, read through a buffer in the tab control's process.
std::optional<RECT> tab_rectangle(HWND tabs, int index) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(tabs, &process_id);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id);
    if (process == nullptr) return std::nullopt;
    std::optional<RECT> result;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote != nullptr) {
        const std::optional<LRESULT> ok =
            send(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote));
        RECT rect{};
        SIZE_T read = 0;
        if (ok && *ok && ReadProcessMemory(process, remote, &rect, sizeof rect, &read) && read == sizeof rect) {
            result = rect;
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return result;
}

}  // namespace

int bounded_wait(int timeout_ms) {
    return timeout_ms < 0 ? 0 : (timeout_ms > kLongestWaitMs ? kLongestWaitMs : timeout_ms);
}

std::vector<HWND> dialogs_with_caption(const std::string& caption) {
    CaptionSearch search{&caption, {}};
    EnumWindows(collect_dialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<HWND> wait_for_dialog(const std::string& caption, int timeout_ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bounded_wait(timeout_ms));
    for (;;) {
        const std::vector<HWND> found = dialogs_with_caption(caption);
        // EnumWindows lists from the top of the z-order: the first is the newest shown.
        if (!found.empty()) return found.front();
        if (GetTickCount64() >= deadline) return std::nullopt;
        Sleep(kPollMs);
    }
}

std::optional<LRESULT> send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

// Texts cross in UTF-16, as the program's windows hold them, and as UTF-8 on the driver's lines.
std::optional<std::string> text_of(HWND window) {
    std::array<wchar_t, kTextBufferChars> buffer{};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length) ||
        length >= kTextBufferChars) {
        return std::nullopt;
    }
    return utf8_text(std::wstring_view(buffer.data(), static_cast<std::size_t>(length)));
}

bool set_text_of(HWND window, const std::string& text) {
    const std::wstring wide = wide_text(text);
    DWORD_PTR ok = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_ABORTIFHUNG,
                               kMessageTimeoutMs, &ok) &&
           ok != 0;
}

bool click(HWND button) { return SendNotifyMessageA(button, BM_CLICK, 0, 0) != FALSE; }

bool click_tab(HWND tabs, int index, int timeout_ms) {
    const std::optional<RECT> rect = tab_rectangle(tabs, index);
    if (!rect) return false;
    const LPARAM where = MAKELPARAM((rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2);
    if (!send(tabs, WM_LBUTTONDOWN, MK_LBUTTON, where) || !send(tabs, WM_LBUTTONUP, 0, where)) return false;
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bounded_wait(timeout_ms));
    for (;;) {
        const std::optional<LRESULT> selected = send(tabs, TCM_GETCURSEL, 0, 0);
        if (selected && *selected == index) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

int focused_control(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == nullptr) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

std::vector<int> tab_order(HWND dialog) {
    std::vector<int> ids;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    HWND control = first;
    // Bounded: a dialog has far fewer controls than this.
    for (int guard = 0; control != nullptr && guard < 512; ++guard) {
        ids.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(dialog, control, FALSE);
        if (control == first) break;
    }
    return ids;
}

std::string longest_static_text(HWND dialog) {
    std::string longest;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (class_of(child) != "Static") continue;
        const std::optional<std::string> text = text_of(child);
        if (text && text->size() > longest.size()) longest = *text;
    }
    return longest;
}

// Destroyed, not merely hidden: a modal dialog is hidden as soon as it ends,
// but its own message loop runs until it is destroyed, and a key posted to the
// owner meanwhile goes past the owner's dialog manager (Esc does nothing).
bool wait_until_gone(HWND window, int timeout_ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(bounded_wait(timeout_ms));
    for (;;) {
        if (!IsWindow(window)) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

}  // namespace qv3::driver
