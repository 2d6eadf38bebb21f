// Counting the console's Ctrl-C and Ctrl-Break on Windows, with SetConsoleCtrlHandler.
#include "cli/interrupt.h"

#include <windows.h>

#include <atomic>

namespace qv3 {

namespace {

// The console calls the handler on a thread of its own.
std::atomic<int> counted{0};

// Closing the console, logging off and shutting down still end the process.
BOOL WINAPI count_interrupt(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (counted.load() < 100) counted.fetch_add(1);
    return TRUE;
}

}  // namespace

void start_counting_interrupts() {
    counted = 0;
    SetConsoleCtrlHandler(count_interrupt, TRUE);
}

void stop_counting_interrupts() { SetConsoleCtrlHandler(count_interrupt, FALSE); }

int interrupt_count() { return counted.load(); }

}  // namespace qv3
