// tm80ctl: a command-line tool for technicians and scripts; see --help.
#include "tools/Tm80Ctl.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunTm80Ctl(args, std::cout, std::cerr);
}
