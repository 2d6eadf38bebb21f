// Centring a window on the screen, shared by the main window and the telemetry dialog.
#pragma once

#include <windows.h>

namespace qv3 {

// Moves window so that it stands in the middle of the screen, keeping its size:
// half the screen size minus half the window size, each halving an integer
// division. Places it at the top of the z-order and, when show is true, shows it.
void centre_on_screen(HWND window, bool show);

}  // namespace qv3
