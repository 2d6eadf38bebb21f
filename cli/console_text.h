// qv3's output on a console: UTF-8, as everything qv3 prints (settings texts, file names, the system's words) is.
#pragma once

namespace qv3 {

// Makes a console show qv3's UTF-8 output as the characters it stands for.
// One file per platform: console_text_posix.cpp has nothing to do (terminals
// read the bytes in the locale's encoding, UTF-8 nearly everywhere);
// console_text_win32.cpp sets the console's output code page to UTF-8 for the
// run and puts the old one back at exit. A file or pipe gets the bytes as
// they are on both.
void print_utf8_on_console();

}  // namespace qv3
