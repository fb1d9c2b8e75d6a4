#include "app/startup/StartupNetwork.h"

#include "app/startup/LocalAddress.h"

void StartupNetwork::Discover() const {
    if (discoveryTarget) {
        DiscoverWizNET_Devices(*discoveryTarget);
    } else {
        DiscoverWizNET_Devices();
    }
}

std::string StartupNetwork::LocalAddress() const {
    return localAddress ? localAddress() : FindLocalAddress();
}

StartupNetwork& TheStartupNetwork() {
    static StartupNetwork network;
    return network;
}
