// The console's events as requests to end: the handler runs on a thread of its own, so it only posts a message and waits.
#include "ui/win32/console_events_win32.h"

#include <atomic>

namespace qv3 {

namespace {

std::atomic<HWND> main_window{nullptr};
// The thread of the message loop; signalled once the process is ending.
std::atomic<HANDLE> loop_thread{nullptr};

// Long enough for the rest of a write and its verification; Windows ends a
// closing console's processes after a time-out of its own anyway.
constexpr DWORD kWriteEndWaitMs = 10000;

BOOL WINAPI on_console_event(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            PostMessageA(main_window.load(), kEndRequestMessage, 0, 0);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The process ends when this returns. The window quits at once
            // outside a write and after its verification during one, and
            // the loop's thread then ends the process with the window's exit
            // code; until then (at most the bound) this thread waits.
            PostMessageA(main_window.load(), kEndRequestMessage, 0, 0);
            WaitForSingleObject(loop_thread.load(), kWriteEndWaitMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void forward_console_events(HWND window) {
    main_window = window;
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE, 0);
    loop_thread = thread;
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

}  // namespace qv3
