#include "tools/DiscoverCommand.h"

#include <cstdio>

int RunDiscoverCommand(const std::vector<std::string>&, bool) {
    std::fputs("tm80ctl: discover is not available yet\n", stderr);
    return 1;
}
