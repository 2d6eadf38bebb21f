// Whether someone can answer qv3's questions: standard input is a terminal.
#pragma once

namespace qv3 {

// One file per platform: terminal_input_posix.cpp, terminal_input_win32.cpp.
bool standard_input_is_terminal();

}  // namespace qv3
