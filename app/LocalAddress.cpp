#include "app/LocalAddress.h"

#include "platform/WinSock.h"

#include <array>
#include <cstdio>
#include <netdb.h>

std::string ResolveLocalAddress() {
    std::array<char, 512> name{};
    if (win::gethostname(name.data(), static_cast<int>(name.size())) != 0)
        return "";
    name.back() = '\0';

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name.data(), nullptr, &hints, &found) != 0 || found == nullptr)
        return "";
    std::string text;
    if (found->ai_addr != nullptr && found->ai_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
        const auto* octet = reinterpret_cast<const unsigned char*>(&in->sin_addr.s_addr);
        std::array<char, 16> dotted{};
        std::snprintf(dotted.data(), dotted.size(), "%d.%d.%d.%d", octet[0], octet[1], octet[2],
                      octet[3]);
        text = dotted.data();
    }
    ::freeaddrinfo(found);
    return text;
}
