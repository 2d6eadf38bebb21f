// Centring a window on the screen with integer halving.
#include "ui/win32/window_placement_win32.h"

namespace qv3 {

void centre_on_screen(HWND window, bool show) {
    RECT outer{};
    if (!GetWindowRect(window, &outer)) return;
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    const UINT flags = SWP_NOSIZE | (show ? SWP_SHOWWINDOW : 0u);
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, flags);
}

}  // namespace qv3
