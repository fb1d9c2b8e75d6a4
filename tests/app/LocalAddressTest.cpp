// The address the main window shows for this computer.

#include "app/startup/LocalAddress.h"

#include <gtest/gtest.h>

namespace {

TEST(LocalAddressTest, PrefersTheDefaultRouteThenTheFirstUpNonLoopbackAddress) {
    const InterfaceAddress lo{"lo", "127.0.0.1", true, true};
    const InterfaceAddress down{"eth0", "10.0.0.5", false, false};
    const InterfaceAddress lan{"eth1", "192.168.1.20", true, false};
    const InterfaceAddress wifi{"wlan0", "172.16.0.9", true, false};
    const struct {
        std::vector<InterfaceAddress> addresses;
        std::string defaultRoute;
        std::string shown;
    } cases[] = {
        {{lo, down, lan, wifi}, "wlan0", "172.16.0.9"},
        {{lo, down, lan, wifi}, "", "192.168.1.20"},
        {{lo, down, lan, wifi}, "eth0", "192.168.1.20"}, // its interface is down
        {{lo, down}, "", "127.0.0.1"},
        {{}, "", "127.0.0.1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseLocalAddress(c.addresses, c.defaultRoute), c.shown) << c.defaultRoute;
    }
    // The real interfaces give some dotted address, never a name look-up's 127.0.1.1.
    EXPECT_NE(FindLocalAddress(), "127.0.1.1");
}

} // namespace
