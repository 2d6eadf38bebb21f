// SIGTERM, SIGHUP and SIGINT taken into Qt's event loop, where the shared window logic decides what they end.
#pragma once

#include <QObject>

#include "ui/main_window.h"

namespace qv3 {

// From now on SIGTERM, SIGHUP and SIGINT no longer end the process: the
// event loop hands each one to on_end_request(app), through a pipe that the
// signal handler writes a byte into and a notifier owned by parent reads. A
// signal ignored when the program started (nohup, a script's background job)
// stays ignored. SIGPIPE and SIGTTOU are ignored as well, so that a line to a
// standard error whose reader has gone, or to the terminal of a background
// job, neither ends nor stops the program halfway through a write. False
// when the pipe cannot be made: the signals then keep their usual action.
bool forward_end_signals(App& app, QObject& parent);

}  // namespace qv3
