// Small helpers on POSIX sockets shared by the simulated unit and module.
#pragma once

#include <cstdint>
#include <netinet/in.h>
#include <string>

namespace sim {

// Fills `out` from dotted text and a port; false when the text is no IPv4 address.
bool MakeAddress(const std::string& text, std::uint16_t port, sockaddr_in& out);
bool SetNonBlocking(int fd);
// Closes with SO_LINGER 0, so the peer sees a reset instead of an orderly close.
void CloseWithReset(int fd);
std::string ErrnoText(const std::string& what);

} // namespace sim
