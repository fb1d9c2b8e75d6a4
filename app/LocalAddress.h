// This computer's address as the main window shows it: the host name
// resolved, its first IPv4 address as "%d.%d.%d.%d" in wire order. Empty when
// the name cannot be read or resolved.
#pragma once

#include <string>

std::string ResolveLocalAddress();
