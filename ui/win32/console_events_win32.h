// The console's Ctrl-C, Ctrl-Break, close and logoff events, handed to the main window as requests to end.
#pragma once

#include <windows.h>

namespace qv3 {

// Posted to the main window once for each event; its procedure calls
// on_end_request (ui/end_requests.h).
constexpr UINT kEndRequestMessage = WM_APP + 1;

// From now on the events of the program's console, when it has one, are
// posted to window instead of ending the process. Called on the thread that
// runs the message loop.
void forward_console_events(HWND window);

}  // namespace qv3
