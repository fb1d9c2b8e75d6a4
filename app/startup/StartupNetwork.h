// What the main window's start-up asks of the network beyond its units: the
// discovery and this computer's address. The application always uses the
// defaults; tests point the discovery at a loopback broadcast address with a
// short window and give the address themselves, so that nothing leaves
// loopback and no name is looked up.
#pragma once

#include "device/DiscoverWizNET_Devices.h"

#include <functional>
#include <optional>
#include <string>

struct StartupNetwork {
    // Empty: the default search (255.255.255.255, UDP port 50001, 3000 ms).
    std::optional<DiscoveryTarget> discoveryTarget;
    // Empty: this computer's interfaces (FindLocalAddress).
    std::function<std::string()> localAddress;

    void Discover() const;
    std::string LocalAddress() const;
};

StartupNetwork& TheStartupNetwork();
