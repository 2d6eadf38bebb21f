// A terminal on POSIX: isatty on standard input.
#include <unistd.h>

#include "cli/terminal_input.h"

namespace qv3 {

bool standard_input_is_terminal() { return isatty(STDIN_FILENO) == 1; }

}  // namespace qv3
