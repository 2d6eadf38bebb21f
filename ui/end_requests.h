// The system asking the program to end (a signal, a console's Ctrl-C or close, the end of the session): never halfway through a write.
//
// The front ends turn their platform's requests into these calls:
// ui/qt/end_signals_qt.cpp (SIGTERM, SIGHUP and SIGINT) and
// ui/win32/console_events_win32.cpp with the main window's procedure (the
// console's events, WM_QUERYENDSESSION).
#pragma once

#include "ui/app.h"

namespace qv3 {

// Written on standard error when a request comes while a write is going out,
// and when a second one abandons it.
constexpr const char* kFinishingWriteLine = "quorvale3config: finishing the write before quitting";
constexpr const char* kWriteAbandonedLine =
    "quorvale3config: write abandoned: the tracker may hold an incomplete configuration";

// The exit code after an abandoned write, as a shell reports a process ended by SIGINT.
constexpr int kExitWriteAbandoned = 130;

// One request to end (a signal, a console's event). Outside a write the
// program quits as "Quit" does (exit 0). While a write goes out
// (write_in_progress) the first request lets it finish and be verified, and
// the program quits with exit 0 once the protocol is idle; a second one
// abandons it, with kExitWriteAbandoned. The port is closed on the way out.
void on_end_request(App& app);

// The session is ending: true when the program may end now. During a write
// false, and the program quits once the write has been verified; this never
// abandons a write, nor counts as the first of two requests.
bool session_may_end(App& app);

// After each step of the timer: quits once a write that a request let finish is over.
void quit_if_write_over(App& app);

}  // namespace qv3
