// `tm80ctl discover [--broadcast ADDRESS] [--json] [--trace]`.
#pragma once

#include <string>
#include <vector>

// Runs one discovery and prints the list; `args` are the words after "discover".
// The discovery's trace goes to the debugger channel only with --trace.
// Returns the process exit status (0 ok, 1 failure, 2 usage error).
int RunDiscoverCommand(const std::vector<std::string>& args, bool json);
