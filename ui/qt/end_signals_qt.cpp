// The signals that ask the program to end, through a self-pipe: the handler only writes a byte, the event loop does the rest.
#include "ui/qt/end_signals_qt.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "ui/end_requests.h"

namespace qv3 {

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Written by the handler, read by the notifier; both ends non-blocking, so
// that neither the handler nor the loop can ever wait on it.
int signal_pipe[2] = {-1, -1};

volatile std::sig_atomic_t hung_up = 0;

// Async-signal-safe: one write(2), and errno kept for the code it
// interrupted. A byte per signal, so two signals make two requests; but a
// closed terminal often sends its hang-up twice (the shell passes one on, the
// kernel sends another as the shell goes), and that is one request.
extern "C" void note_end_signal(int number) {
    if (number == SIGHUP) {
        if (hung_up != 0) return;
        hung_up = 1;
    }
    const int saved_errno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signal_pipe[1], &byte, 1);
    errno = saved_errno;
}

void catch_end_signal(int number) {
    struct sigaction previous {};
    sigaction(number, nullptr, &previous);
    if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = note_end_signal;
    sigemptyset(&action.sa_mask);
    // The serial port's reads, writes and sleeps carry on after the handler.
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
}

void hand_over_requests(App& app) {
    char bytes[16];
    for (;;) {
        const ssize_t got = ::read(signal_pipe[0], bytes, sizeof bytes);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        for (ssize_t i = 0; i < got; ++i) on_end_request(app);
    }
}

}  // namespace

bool forward_end_signals(App& app, QObject& parent) {
    if (pipe2(signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    auto* notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &parent);
    QObject::connect(notifier, &QSocketNotifier::activated, &parent, [&app] { hand_over_requests(app); });
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTOU, SIG_IGN);
    for (const int number : kEndSignals) catch_end_signal(number);
    return true;
}

}  // namespace qv3
