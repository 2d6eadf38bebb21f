// The main window's dialog procedure, for the start-up to create the window with, and its keys for the message loop.
#pragma once

#include <windows.h>

namespace qv3 {

// The procedure of the main window's dialog. create_dialog passes the App as
// its LPARAM; the window keeps it for the messages that follow.
INT_PTR CALLBACK main_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The message loop asks first, for each message: Ctrl+Tab, Ctrl+Shift+Tab,
// Ctrl+PgDn and Ctrl+PgUp pressed on the main window or any of its controls
// switch banks (on_bank_key), as in a property sheet; true when the message
// was such a key and is handled. Alt+PgDn and Alt+PgUp switch banks too and
// go on (false), for the window to see the key pressed with Alt.
bool forward_bank_key(HWND window, const MSG& message);

}  // namespace qv3
