// qv3 program entry.
#include <iostream>

#include "cli/qv3_cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int code = qv3::run_qv3(args, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
