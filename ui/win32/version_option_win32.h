// quorvale3config.exe --version: the program's one command-line option.
#pragma once

namespace qv3 {

// When the command line is "--version", tells the version (on the console or
// pipe the program was started from, or else in a message box) and returns
// true: the program then ends without opening its window.
bool answer_version_option(const char* command_line);

}  // namespace qv3
