// Window helpers of the UI driver: finding top-level windows by caption, and bounded cross-process queries and clicks.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qv3::driver {

// Longest wait any command may ask for.
constexpr int kLongestWaitMs = 60000;
// How long one cross-process message may take before the target counts as hung.
constexpr UINT kMessageTimeoutMs = 5000;
// Pause between two looks while waiting.
constexpr int kPollMs = 25;

// A requested wait, limited to 0 .. kLongestWaitMs.
int bounded_wait(int timeout_ms);

// Visible top-level dialog windows (class "#32770") whose caption is exactly caption.
std::vector<HWND> dialogs_with_caption(const std::string& caption);

// Waits up to timeout_ms for such a window; the newest one found.
std::optional<HWND> wait_for_dialog(const std::string& caption, int timeout_ms);

// Sends a message and waits at most kMessageTimeoutMs; nothing when it timed out or failed.
std::optional<LRESULT> send(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The window's text through WM_GETTEXT (at most 4095 characters); nothing on failure.
std::optional<std::string> text_of(HWND window);

bool set_text_of(HWND window, const std::string& text);

// A click on a button: BM_CLICK delivered without waiting for the handler,
// which may open a modal window; later sent messages are handled after it.
bool click(HWND button);

// A click of the mouse on tab index of a tab control; true once it is selected.
bool click_tab(HWND tabs, int index, int timeout_ms);

// The id of the control that has the keyboard focus in window's thread, 0 when none.
int focused_control(HWND window);

// Ids of the tab stops of dialog in keyboard order, starting at its first one.
std::vector<int> tab_order(HWND dialog);

// The longest text of the dialog's static controls (a message box's message).
std::string longest_static_text(HWND dialog);

// Waits up to timeout_ms until window no longer exists.
bool wait_until_gone(HWND window, int timeout_ms);

}  // namespace qv3::driver
