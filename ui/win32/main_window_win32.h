// The main window's dialog procedure, for the start-up to create the window with.
#pragma once

#include <windows.h>

namespace qv3 {

// The procedure of the main window's dialog. create_dialog passes the App as
// its LPARAM; the window keeps it for the messages that follow.
INT_PTR CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace qv3
