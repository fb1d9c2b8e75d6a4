// This computer's address as the main window shows it: the first IPv4
// address of an interface that is up and not loopback, preferring the
// interface that holds the default route; "127.0.0.1" when there is no other.
// No name is looked up: resolving the host name can wait on DNS, and on many
// Linux systems it gives a loopback address (127.0.1.1).
#pragma once

#include <istream>
#include <string>
#include <vector>

struct InterfaceAddress {
    std::string interfaceName;
    std::string address; // "%d.%d.%d.%d"
    bool up = false;
    bool loopback = false;
};

// The choice among `addresses` (in the system's order); `defaultRouteInterface`
// may be empty.
std::string ChooseLocalAddress(const std::vector<InterfaceAddress>& addresses,
                               const std::string& defaultRouteInterface);
// The interface of the default route (destination and mask 0) in a table
// read as /proc/net/route gives it, heading first; "" when there is none.
std::string DefaultRouteInterface(std::istream& routes);
// The choice among this computer's interfaces.
std::string FindLocalAddress();
