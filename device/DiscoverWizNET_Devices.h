// Network discovery: one WIZnet search broadcast, a window for the answers,
// and a short TCP exchange with each answering module to identify the unit
// behind it. The outcome is the discovery list (device/DiscoveryList.h) and
// the trace on the debugger output channel.
//
// The socket library must have been started by the caller.
#pragma once

#include "device/WizNetSearch.h"

#include <cstdint>
#include <string>

struct DiscoveryTarget {
    // Where the search goes: the limited broadcast address unless an operator
    // names one subnet's broadcast address.
    std::string broadcastAddress = WizNetSearch::kDefaultBroadcastAddress;
    std::uint16_t port = WizNetSearch::kDefaultPort;
    // The time answers are taken, counted from 100 ms after the search was sent.
    int windowMs = 3000;
};

// Searches 255.255.255.255, UDP port 50001, with a 3000 ms window.
void DiscoverWizNET_Devices();
// The same for `target`. 0 when the search went out; otherwise the Windows
// Sockets error of the step that failed (creating the UDP socket, the
// broadcast option, non-blocking mode, sendto), or WSAEDESTADDRREQ for an
// address that does not read: then no unit can have heard it.
int DiscoverWizNET_Devices(const DiscoveryTarget& target);
