#include "app/startup/LocalAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <array>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kLoopbackAddress = "127.0.0.1";

std::vector<InterfaceAddress> InterfaceAddresses() {
    std::vector<InterfaceAddress> found;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return found;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        std::array<char, INET_ADDRSTRLEN> text{};
        const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (::inet_ntop(AF_INET, &in->sin_addr, text.data(), text.size()) == nullptr) {
            continue;
        }
        found.push_back({entry->ifa_name != nullptr ? entry->ifa_name : "", text.data(),
                         (entry->ifa_flags & IFF_UP) != 0, (entry->ifa_flags & IFF_LOOPBACK) != 0});
    }
    ::freeifaddrs(list);
    return found;
}

} // namespace

std::string ChooseLocalAddress(const std::vector<InterfaceAddress>& addresses,
                               const std::string& defaultRouteInterface) {
    const InterfaceAddress* first = nullptr;
    for (const InterfaceAddress& candidate : addresses) {
        if (!candidate.up || candidate.loopback) {
            continue;
        }
        if (!defaultRouteInterface.empty() && candidate.interfaceName == defaultRouteInterface) {
            return candidate.address;
        }
        if (first == nullptr) {
            first = &candidate;
        }
    }
    return first != nullptr ? first->address : kLoopbackAddress;
}

std::string DefaultRouteInterface(std::istream& routes) {
    std::string line;
    std::getline(routes, line); // the heading
    while (std::getline(routes, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refs, use, metric, mask;
        if (fields >> name >> destination >> gateway >> flags >> refs >> use >> metric >> mask &&
            destination == "00000000" && mask == "00000000") {
            return name;
        }
    }
    return "";
}

std::string FindLocalAddress() {
    std::ifstream routes("/proc/net/route");
    return ChooseLocalAddress(InterfaceAddresses(), DefaultRouteInterface(routes));
}
