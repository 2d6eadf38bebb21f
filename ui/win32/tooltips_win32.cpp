// Tooltips on Windows: one tooltip control per dialog, a tool per control that shows a setting, its text the setting's help.
#include "ui/win32/tooltips_win32.h"

#include <commctrl.h>

#include "ui/field_binding.h"

namespace qv3 {

namespace {

// Wide enough for a help line to wrap into two or three lines, in pixels.
constexpr int kTipWidth = 320;
// How long a tip stays up: long enough to read a line.
constexpr int kTipShowMs = 15000;

}  // namespace

void add_tooltips(HWND dialog, const DialogLayout& layout) {
    // TTS_ALWAYSTIP: the tip shows even when the window is not the active one;
    // TTS_NOPREFIX: an '&' in a help text is shown as it is.
    const DWORD style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX;
    const HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, style,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
    if (tip == nullptr) return;  // the program works without tips
    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kTipShowMs, 0));
    for (const LayoutControl& control : layout.controls) {
        const std::string_view help = control_help(layout, control.id);
        const HWND item = GetDlgItem(dialog, control.id);
        if (help.empty() || item == nullptr) continue;
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(item);
        // The help texts are constants that live as long as the program.
        tool.lpszText = const_cast<char*>(help.data());
        SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

}  // namespace qv3
