// Standard output on Windows: text mode turns "\n" into "\r\n", which would corrupt an image.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/stdout_mode.h"

namespace qv3 {

int set_stdout_binary() {
    std::fflush(stdout);
    return _setmode(_fileno(stdout), _O_BINARY);
}

void restore_stdout_mode(int previous_mode) {
    std::fflush(stdout);
    if (previous_mode != -1) _setmode(_fileno(stdout), previous_mode);
}

}  // namespace qv3
