// A console on Windows: _isatty on standard input's descriptor.
#include <io.h>

#include <cstdio>

#include "cli/terminal_input.h"

namespace qv3 {

bool standard_input_is_terminal() { return _isatty(_fileno(stdin)) != 0; }

}  // namespace qv3
