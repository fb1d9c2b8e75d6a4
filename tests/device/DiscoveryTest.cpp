// Discovery against simulated units and their WIZnet modules on loopback.
//
// Every test that searches runs in a private network namespace of its own, so
// its fixed addresses and ports meet no other test's, not even those of a
// second run of the same tests at the same time.
#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "platform/WinSock.h"
#include "sim/SimUnit.h"
#include "tests/device/OutputCapture.h"
#include "tests/device/PrivateNamespace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsSince(Clock::time_point start) {
    return static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class Discovery : public ::testing::Test {
protected:
    void SetUp() override {
        win::WSADATA data;
        ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data), 0);
    }
    void TearDown() override {
        units_.clear();
        win::WSACleanup();
    }

    sim::SimUnit& AddUnit(const std::string& address, std::uint16_t port,
                          const std::string& model = "80M1", const std::string& note = "SIM UNIT") {
        sim::UnitConfig config;
        config.address = address;
        config.model = model;
        config.note = note;
        config.module = true;
        config.discoveryPort = port;
        units_.push_back(std::make_unique<sim::SimUnit>(config));
        EXPECT_TRUE(units_.back()->Start()) << units_.back()->Error();
        return *units_.back();
    }

    // One discovery; its duration in ms as the caller sees it.
    int Discover(std::uint16_t port, int windowMs) {
        DiscoveryTarget target;
        target.broadcastAddress = "127.255.255.255";
        target.port = port;
        target.windowMs = windowMs;
        auto start = Clock::now();
        DiscoverWizNET_Devices(target);
        return MillisecondsSince(start);
    }

    static std::vector<std::string> ListedAddresses() {
        std::vector<std::string> addresses;
        for (const DiscoveredUnit& unit : DiscoveryList::Instance().Units()) {
            addresses.push_back(unit.addressText);
        }
        return addresses;
    }

    std::vector<std::unique_ptr<sim::SimUnit>> units_;
};

TEST_F(Discovery, ListsAUnitWithEverythingItTold) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    AddUnit("127.51.1.1", 51501, "80M1", "RACK 4 LEFT");
    OutputCapture trace;
    int took = Discover(51501, 600);
    EXPECT_GE(took, 690); // 100 ms pause and the whole window (clocks round apart)

    ASSERT_EQ(DiscoveryList::Instance().Count(), 1);
    const DiscoveredUnit& found = DiscoveryList::Instance().At(0);
    EXPECT_EQ(found.reachable, 1);
    EXPECT_EQ(found.MacText(), "00:08:DC:33:01:01"); // 00:08:DC and the last three octets
    EXPECT_EQ(found.addressText, "127.51.1.1");
    EXPECT_EQ(found.ModelText(), "80M1");
    EXPECT_EQ(found.NameText(), "TM80M Multicoupler");
    EXPECT_EQ(found.SerialText(), "00AB 0017");
    EXPECT_EQ(found.NoteText(), "RACK 4 LEFT");

    const std::string text = trace.Debug();
    const std::string stars = "*****************************************************";
    EXPECT_EQ(text.rfind(stars + "\rNow looking for WizNET Devices.\r", 0), 0u);
    EXPECT_NE(text.find(stars + "\rAttempting to TCP connect to: 127.51.1.1.\r"
                                "Connection State: OPEN\r\n"
                                "Now reading WizNET Device ID.\r"
                                "Found a 0x16 device.\r\n"
                                "Discovered TM80M1 or TM80C2.\r"
                                "Now reading Identity Values of TM80.\r"
                                "Now reading User Note of TM80.\r"),
              std::string::npos);
    // Polls that find nothing are traced until the window closes.
    EXPECT_NE(text.find("recvfrom() returned -1.\r\n***** Data received from Broadcast response "
                        "is =>\r\n\r\nData did not match expected values in Broadcast "
                        "response.\r\n"),
              std::string::npos);
    ASSERT_NE(text.find("recvfrom() returned -1.\r\nTime out completed.\r\n"
                        "Now exiting DiscoverWizNET_Devices().\r\nTime used: "),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - stars.size() - 2), stars + "\r\n");
    int used = std::atoi(text.c_str() + text.find("Time used: ") + 11);
    EXPECT_GE(used, 600);
    EXPECT_LT(used, took);
}

TEST_F(Discovery, ListsUnitsInTheOrderOfTheirAnswers) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    // The later answer comes after the first unit's TCP steps are done.
    struct Case {
        int firstDelay, secondDelay;
        std::vector<std::string> order;
    };
    const Case cases[] = {{0, 400, {"127.51.2.1", "127.51.2.2"}},
                          {400, 0, {"127.51.2.2", "127.51.2.1"}}};
    sim::SimUnit& first = AddUnit("127.51.2.1", 51502);
    sim::SimUnit& second = AddUnit("127.51.2.2", 51502, "80C2", "SECOND");
    for (const Case& c : cases) {
        first.SetModuleFault(sim::ModuleFault::DelayedAnswer, c.firstDelay);
        second.SetModuleFault(sim::ModuleFault::DelayedAnswer, c.secondDelay);
        OutputCapture trace;
        Discover(51502, 900);
        EXPECT_EQ(ListedAddresses(), c.order);
    }
    EXPECT_EQ(DiscoveryList::Instance().At(0).NameText(), "TM80C2 Multicoupler");
}

TEST_F(Discovery, ModulesThatFailAStepAreLeftOut) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    const std::uint16_t port = 51503;
    AddUnit("127.51.3.1", port);
    AddUnit("127.51.3.2", port).SetModuleFault(sim::ModuleFault::NoLI);
    AddUnit("127.51.3.3", port).SetModuleFault(sim::ModuleFault::UnitType, 0x17);
    AddUnit("127.51.3.4", port).SetModuleFault(sim::ModuleFault::InvalidTypeReply);
    AddUnit("127.51.3.5", port).SetModuleFault(sim::ModuleFault::LIMissingSeparators);
    AddUnit("127.51.3.6", port, "80X9");
    // "LI127.51.3.300" reaches the unit on 127.51.3.44.
    AddUnit("127.51.3.44", port, "80C2").SetModuleFault(sim::ModuleFault::LIOctetAbove255);
    // "STLISTEN" comes before the "LI" line and must not be taken for it.
    AddUnit("127.51.3.7", port).SetModuleFault(sim::ModuleFault::ListenState);

    OutputCapture trace;
    Discover(port, 1200);

    std::set<std::string> listed;
    for (const DiscoveredUnit& unit : DiscoveryList::Instance().Units()) {
        listed.insert(unit.addressText + " " + unit.NameText());
    }
    EXPECT_EQ(listed, (std::set<std::string>{
                          "127.51.3.1 TM80M Multicoupler", "127.51.3.6 Unknown TM80 Device",
                          "127.51.3.44 TM80C2 Multicoupler", "127.51.3.7 TM80M Multicoupler"}));
    const std::string text = trace.Debug();
    EXPECT_NE(text.find("MC00:08:DC:33:03:02\r\nVR"), std::string::npos);
    EXPECT_NE(text.find("\r\nData did not match expected values in Broadcast response.\r\n"
                        "recvfrom()"),
              std::string::npos);
    EXPECT_NE(text.find("Found a 0x17 device.\r\nUnknown Device ID.\r\n"), std::string::npos);
    EXPECT_NE(text.find("Now reading WizNET Device ID.\rData returned from TCP connection was "
                        "not valid.\r\n"),
              std::string::npos);
    // Missing separators give no address: the connect to 0.0.0.0 is refused.
    EXPECT_NE(text.find("Attempting to TCP connect to: 0.0.0.0.\r"), std::string::npos);
    EXPECT_NE(text.find("Could not connect() TCP socket : 10049\r\n"), std::string::npos);
    EXPECT_NE(text.find("Attempting to TCP connect to: 127.51.3.44.\r"), std::string::npos);
    EXPECT_NE(text.find("Connection State: LISTEN\r\n"), std::string::npos);
}

TEST_F(Discovery, ReplyBytesArrivingApartAreCollected) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    // Each reply byte is its own TCP segment, 4 ms apart: 104 ms for the identity.
    AddUnit("127.51.4.1", 51504, "80C2").SetFault(sim::Fault::SlowBytes, 4);
    OutputCapture trace;
    Discover(51504, 800);
    ASSERT_EQ(DiscoveryList::Instance().Count(), 1);
    EXPECT_EQ(DiscoveryList::Instance().At(0).NoteText(), "SIM UNIT");
}

TEST_F(Discovery, SilentModulesDoNotHoldTheDiscovery) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    const std::uint16_t port = 51505;
    const int window = 2000;
    // One silent module answers first, a good unit after it, another silent
    // module just before the window closes.
    AddUnit("127.51.5.1", port).SetModuleFault(sim::ModuleFault::SilentTcp);
    AddUnit("127.51.5.2", port).SetModuleFault(sim::ModuleFault::DelayedAnswer, 200);
    sim::SimUnit& late = AddUnit("127.51.5.3", port);
    late.SetFault(sim::Fault::Silent);
    late.SetModuleFault(sim::ModuleFault::DelayedAnswer, 100 + window - 50);

    OutputCapture trace;
    int took = Discover(port, window);
    EXPECT_EQ(ListedAddresses(), std::vector<std::string>{"127.51.5.2"});
    EXPECT_TRUE(trace.InDebug("Attempting to TCP connect to: 127.51.5.3.\r"));
    // The pause, the window and at most one shortest reply wait, with room for a slow machine.
    EXPECT_LT(took, 100 + window + 100 + 700);
}

TEST(DiscoveryWithoutSockets, SocketSetUpFailureEndsAtOnce) {
    ASSERT_EQ(win::WSAStartupCount(), 0);
    DiscoveredUnit stale;
    DiscoveryList::Instance().Append(stale);
    OutputCapture trace;
    auto start = Clock::now();
    DiscoverWizNET_Devices(DiscoveryTarget{"127.255.255.255", 51507, 3000});
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_EQ(DiscoveryList::Instance().Count(), 0);
    EXPECT_EQ(trace.Debug(), "*****************************************************\r"
                             "Now looking for WizNET Devices.\r"
                             "Could not create UDP socket : 10093\r\n");
}

TEST_F(Discovery, ThirtyTwoUnitsAreAllListedInOneDiscovery) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    std::set<std::string> expected;
    for (int i = 1; i <= 32; ++i) {
        std::string address = "127.52.0." + std::to_string(i);
        AddUnit(address, 51508, i % 2 ? "80M1" : "80C2", "UNIT " + std::to_string(i));
        expected.insert(address);
    }
    OutputCapture trace;
    int took = Discover(51508, 3000);
    std::vector<std::string> listed = ListedAddresses();
    EXPECT_EQ(listed.size(), 32u);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected);
    EXPECT_LT(took, 3100 + 1000);
}

} // namespace
