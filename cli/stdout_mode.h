// Standard output in binary mode while qv3 writes file bytes to it (-o -).
#pragma once

namespace qv3 {

// Puts standard output in binary mode and returns the mode it had.
int set_stdout_binary();
// Puts back the mode set_stdout_binary returned.
void restore_stdout_mode(int previous_mode);

}  // namespace qv3
