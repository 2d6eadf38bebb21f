// qv3 program entry.
#include <iostream>

#include "cli/broken_pipe.h"
#include "cli/qv3_cli.h"

int main(int argc, char** argv) {
    qv3::report_broken_pipes_as_errors();
    std::vector<std::string> args(argv + 1, argv + argc);
    // run_qv3 flushes and checks the output itself.
    return qv3::run_qv3(args, std::cout, std::cerr);
}
