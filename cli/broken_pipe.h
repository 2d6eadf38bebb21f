// How qv3 learns that the reader of its output has gone (a closed pipe).
#pragma once

namespace qv3 {

// Makes a write to a pipe without a reader fail with an error that qv3 checks
// and reports, rather than end the process silently. One file per platform:
// broken_pipe_posix.cpp ignores SIGPIPE; Windows has no such signal.
void report_broken_pipes_as_errors();

}  // namespace qv3
