// Ctrl-C and termination requests during a device verb: counted, so that the step loop decides what they end.
//
// One implementation per platform, chosen by the build: interrupt_posix.cpp
// (SIGINT, SIGTERM and SIGHUP) and interrupt_win32.cpp (the console's Ctrl-C
// and Ctrl-Break).
#pragma once

namespace qv3 {

// The exit code of a verb ended by an interrupt, as a shell reports a process
// ended by SIGINT.
constexpr int kExitInterrupted = 130;

// From now on the requests are counted instead of ending the process; the
// count starts at 0.
void start_counting_interrupts();

// The requests end the process again, as before start_counting_interrupts.
void stop_counting_interrupts();

// Requests counted since start_counting_interrupts.
int interrupt_count();

// Counts the requests for as long as it lives.
struct CountedInterrupts {
    CountedInterrupts() { start_counting_interrupts(); }
    ~CountedInterrupts() { stop_counting_interrupts(); }
    CountedInterrupts(const CountedInterrupts&) = delete;
    CountedInterrupts& operator=(const CountedInterrupts&) = delete;
};

}  // namespace qv3
