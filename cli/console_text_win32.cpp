// Windows: the console's output code page is UTF-8 while qv3 runs, and what it was once qv3 ends.
#include <windows.h>

#include <cstdlib>

#include "cli/console_text.h"

namespace qv3 {

namespace {

UINT previous_code_page = 0;

void restore_code_page() { SetConsoleOutputCP(previous_code_page); }

}  // namespace

void print_utf8_on_console() {
    // Without a console (output to a file or a pipe, or none at all) there is
    // nothing to set: the bytes go out unchanged.
    previous_code_page = GetConsoleOutputCP();
    if (previous_code_page == 0 || previous_code_page == CP_UTF8) return;
    // The console is shared with the shell that started qv3: leave it as it was.
    if (SetConsoleOutputCP(CP_UTF8)) std::atexit(restore_code_page);
}

}  // namespace qv3
