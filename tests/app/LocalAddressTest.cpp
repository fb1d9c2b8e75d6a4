// The address the main window shows for this computer.

#include "app/startup/LocalAddress.h"

#include <gtest/gtest.h>

namespace {

// The choice goes by each interface's flags, not by its address, so the
// addresses here are loopback ones too: only data, nothing is sent to them.
TEST(LocalAddressTest, PrefersTheDefaultRouteThenTheFirstUpNonLoopbackAddress) {
    const InterfaceAddress lo{"lo", "127.0.0.1", true, true};
    const InterfaceAddress down{"eth0", "127.0.2.5", false, false};
    const InterfaceAddress lan{"eth1", "127.0.2.20", true, false};
    const InterfaceAddress wifi{"wlan0", "127.0.2.9", true, false};
    const struct {
        std::vector<InterfaceAddress> addresses;
        std::string defaultRoute;
        std::string shown;
    } cases[] = {
        {{lo, down, lan, wifi}, "wlan0", "127.0.2.9"},
        {{lo, down, lan, wifi}, "", "127.0.2.20"},
        {{lo, down, lan, wifi}, "eth0", "127.0.2.20"}, // its interface is down
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
