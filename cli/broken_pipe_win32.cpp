// Windows: a write to a closed pipe already fails with an error; nothing to change.
#include "cli/broken_pipe.h"

namespace qv3 {

void report_broken_pipes_as_errors() {}

}  // namespace qv3
