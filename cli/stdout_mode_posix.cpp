// Standard output on POSIX never translates bytes: nothing to switch.
#include "cli/stdout_mode.h"

namespace qv3 {

int set_stdout_binary() { return 0; }
void restore_stdout_mode(int) {}

}  // namespace qv3
