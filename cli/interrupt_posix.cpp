// Counting SIGINT, SIGTERM and SIGHUP on POSIX systems, with sigaction.
#include "cli/interrupt.h"

#include <csignal>

namespace qv3 {

namespace {

volatile std::sig_atomic_t counted = 0;
struct sigaction previous_int {};
struct sigaction previous_term {};
struct sigaction previous_hup {};
struct sigaction previous_ttou {};

volatile std::sig_atomic_t hung_up = 0;

// Capped well below any sig_atomic_t limit; only 0, 1 and more matter.
extern "C" void count_interrupt(int) {
    if (counted < 100) counted = counted + 1;
}

// A closed terminal often sends its hang-up twice (the shell passes one on to
// its jobs, the kernel sends another as the shell goes): that is one request,
// never the second one that abandons a write.
extern "C" void count_hang_up(int) {
    if (hung_up != 0) return;
    hung_up = 1;
    count_interrupt(SIGHUP);
}

void count_signal(int signal, struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = signal == SIGHUP ? count_hang_up : count_interrupt;
    sigemptyset(&action.sa_mask);
    // Interrupted reads, writes and sleeps of the serial port carry on with
    // the time they have left; the step loop looks at the count between steps.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, &previous);
    // A signal ignored from the start (a background job of a script) stays ignored.
    if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN) {
        sigaction(signal, &previous, nullptr);
    }
}

// Ignores SIGTTOU: a status line written while qv3 runs as a background job
// of a terminal set to 'tostop' would otherwise stop it halfway through a
// write. (SIGPIPE is ignored for the whole run, report_broken_pipes_as_errors;
// a hung-up terminal only makes the line's write fail.)
void keep_writing_in_background(struct sigaction& previous) {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTTOU, &action, &previous);
}

}  // namespace

void start_counting_interrupts() {
    counted = 0;
    hung_up = 0;
    count_signal(SIGINT, previous_int);
    count_signal(SIGTERM, previous_term);
    // A hung-up terminal is heeded as a termination request is.
    count_signal(SIGHUP, previous_hup);
    keep_writing_in_background(previous_ttou);
}

void stop_counting_interrupts() {
    sigaction(SIGINT, &previous_int, nullptr);
    sigaction(SIGTERM, &previous_term, nullptr);
    sigaction(SIGHUP, &previous_hup, nullptr);
    sigaction(SIGTTOU, &previous_ttou, nullptr);
}

int interrupt_count() { return counted; }

}  // namespace qv3
