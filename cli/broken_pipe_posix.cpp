// POSIX: SIGPIPE would end qv3 before it could report the failed write; ignored, the write fails with EPIPE.
#include "cli/broken_pipe.h"

#include <csignal>

namespace qv3 {

void report_broken_pipes_as_errors() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace qv3
