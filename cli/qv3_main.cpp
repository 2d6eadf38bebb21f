// qv3 program entry.
#include <iostream>

#include "cli/broken_pipe.h"
#include "cli/console_text.h"
#include "cli/qv3_cli.h"
#include "files/history.h"
#include "files/system_text.h"

int main(int argc, char** argv) {
    qv3::report_broken_pipes_as_errors();
    qv3::print_utf8_on_console();
    // The arguments as UTF-8, like every path and text inside qv3.
    const std::vector<std::string> args = qv3::program_arguments(argc, argv);
    // run_qv3 flushes and checks the output itself.
    return qv3::run_qv3(args, std::cout, std::cerr, qv3::history_folder());
}
