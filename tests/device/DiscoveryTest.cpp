// Discovery: the WIZnet search answer's parsing, whole discoveries against
// simulated units and their modules on loopback, and the discovery as the
// application and tm80ctl run it, to 255.255.255.255, UDP port 50001. Every
// test that searches runs in a private network namespace (PrivateNamespace.h).
#include "device/CTM80M1_Comm.h"
#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "device/TCPCom.h"
#include "device/WizNetSearch.h"
#include "platform/WinSock.h"
#include "sim/SimUnit.h"
#include "tests/device/OutputCapture.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/device/ResourceUsage.h"
#include "tests/infra/TempFolder.h"
#include "tools/DiscoverCommand.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <net/if.h>
#include <set>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

TEST(WizNetSearch, AddressOctetsTakeTheLowEightBits) {
    const struct {
        const char* afterCode;
        bool ok;
        std::array<std::uint8_t, 4> octets{};
    } cases[] = {
        {"127.168.1.300\r\n", true, {127, 168, 1, 44}},
        {"127.51.0.7\r\nSMx\r\n", true, {127, 51, 0, 7}},
        {"256.257.511.0\r\n", true, {0, 1, 255, 0}},
        {"99999999999.0.0.1\r\n", true, {255, 0, 0, 1}}, // saturates like strtoul
        {" 127.0.0.1 \r\n", true, {127, 0, 0, 1}},
        // Missing separators or numbers: no address at all rather than a wrong one.
        {"127001\r\n", false},
        {"127.168.1\r\n", false},
        {"127.168.1.5", false}, // cut before its CR
        {"127.168..5\r\n", false},
        {"127.168.1.5x\r\n", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.afterCode);
        std::array<std::uint8_t, 4> octets{9, 9, 9, 9};
        EXPECT_EQ(WizNetSearch::ParseAddress(c.afterCode, octets), c.ok);
        EXPECT_EQ(octets, c.octets);
    }
}

using Clock = std::chrono::steady_clock;

int MillisecondsSince(Clock::time_point start) {
    return static_cast<int>((Clock::now() - start) / std::chrono::milliseconds(1));
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
        units_.push_back(std::make_unique<sim::SimUnit>(sim::UnitConfig{.address = address,
                                                                        .model = model,
                                                                        .note = note,
                                                                        .module = true,
                                                                        .discoveryPort = port}));
        EXPECT_TRUE(units_.back()->Start()) << units_.back()->Error();
        return *units_.back();
    }

    // One discovery; its duration in ms as the caller sees it.
    static int Discover(std::uint16_t port, int windowMs) {
        auto start = Clock::now();
        DiscoverWizNET_Devices(DiscoveryTarget{"127.255.255.255", port, windowMs});
        return MillisecondsSince(start);
    }

    std::vector<std::unique_ptr<sim::SimUnit>> units_;
};

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
    // Each reply byte its own TCP segment, 4 ms apart: all are collected.
    AddUnit("127.51.3.8", port, "80C2", "SLOW").SetFault(sim::Fault::SlowBytes, 4);

    OutputCapture trace;
    Discover(port, 1200);
    std::set<std::string> listed;
    for (const DiscoveredUnit& unit : DiscoveryList::Instance().Units()) {
        listed.insert(unit.addressText + " " + unit.NameText() + " " + unit.NoteText());
    }
    EXPECT_EQ(listed, (std::set<std::string>{"127.51.3.1 TM80M Multicoupler SIM UNIT",
                                             "127.51.3.6 Unknown TM80 Device SIM UNIT",
                                             "127.51.3.44 TM80C2 Multicoupler SIM UNIT",
                                             "127.51.3.7 TM80M Multicoupler SIM UNIT",
                                             "127.51.3.8 TM80C2 Multicoupler SLOW"}));
    const std::string text = trace.Debug();
    for (const char* piece : {
             "MC00:08:DC:33:03:02\r\nVR",
             "\r\nData did not match expected values in Broadcast response.\r\nrecvfrom()",
             "Found a 0x17 device.\r\nUnknown Device ID.\r\n",
             "Now reading WizNET Device ID.\rData returned from TCP connection was not valid.\r\n",
             // Missing separators give no address: the connect to 0.0.0.0 is refused.
             "Attempting to TCP connect to: 0.0.0.0.\r",
             "Could not connect() TCP socket : 10049\r\n",
             "Attempting to TCP connect to: 127.51.3.44.\r",
             "Connection State: LISTEN\r\n",
         }) {
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
    }
}

TEST_F(Discovery, SilentModulesDoNotHoldTheDiscoveryOfThirtyTwoUnits) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    const std::uint16_t port = 51505;
    const int window = 2000;
    // One silent module answers first, the units after it, another silent
    // module just before the window closes.
    AddUnit("127.51.5.1", port).SetModuleFault(sim::ModuleFault::SilentTcp);
    std::set<std::string> expected;
    for (int i = 1; i <= 32; ++i) {
        const std::string address = "127.51.6." + std::to_string(i);
        AddUnit(address, port, i % 2 ? "80M1" : "80C2")
            .SetModuleFault(sim::ModuleFault::DelayedAnswer, 200);
        expected.insert(address);
    }
    sim::SimUnit& late = AddUnit("127.51.5.3", port);
    late.SetFault(sim::Fault::Silent);
    late.SetModuleFault(sim::ModuleFault::DelayedAnswer, 100 + window - 50);

    OutputCapture trace;
    int took = Discover(port, window);
    std::multiset<std::string> listed;
    for (const DiscoveredUnit& unit : DiscoveryList::Instance().Units()) {
        listed.insert(unit.addressText);
    }
    EXPECT_EQ(listed, std::multiset<std::string>(expected.begin(), expected.end()));
    EXPECT_NE(trace.Debug().find("Attempting to TCP connect to: 127.51.5.3.\r"), std::string::npos);
    // The pause, the window and at most one shortest reply wait, with room for a slow machine.
    EXPECT_LT(took, 100 + window + 100 + 700);
}

TEST(DiscoveryWithoutSockets, SocketSetUpFailureEndsAtOnce) {
    ASSERT_EQ(win::WSAStartupCount(), 0);
    DiscoveryList::Instance().Append(DiscoveredUnit{});
    OutputCapture trace;
    auto start = Clock::now();
    DiscoverWizNET_Devices(DiscoveryTarget{"127.255.255.255", 51507, 3000});
    EXPECT_LT(MillisecondsSince(start), 1000);
    EXPECT_EQ(DiscoveryList::Instance().Count(), 0);
    EXPECT_EQ(trace.Debug(), "*****************************************************\r"
                             "Now looking for WizNET Devices.\r"
                             "Could not create UDP socket : 10093\r\n");
}

// Many unit open/close cycles, refused connects and discoveries in one
// process: its open descriptors and the heap it uses do not grow.
TEST_F(Discovery, UnitCyclesAndDiscoveriesKeepDescriptorsAndHeap) {
    if (nstest::RanInPrivateNamespace()) {
        return;
    }
    sim::SimUnit& sim = AddUnit("127.53.0.2", 51530);
    OutputCapture quiet(false);
    SlotTable table;
    auto cycles = [&](int discoveries) {
        for (int d = 0; d < discoveries; ++d) {
            for (int u = 0; u < 20; ++u) {
                auto connection = std::make_unique<TCPCom>("127.53.0.2");
                ASSERT_TRUE(connection->IsConnected());
                auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
                const int index = table.Claim();
                table.At(index).slot =
                    std::make_unique<UnitSlot>(index, std::move(connection), std::move(unit));
                table.Slot(index)->Open(nullptr);
                ASSERT_GT(table.Slot(index)->bandCount, 0);
                table.Release(index);
                EXPECT_FALSE(TCPCom("127.53.0.3").IsConnected()); // nothing listens there
            }
            Discover(51530, 150);
            ASSERT_EQ(DiscoveryList::Instance().Count(), 1);
            sim.ClearFrames();
        }
    };
    cycles(2); // first-time allocations: statics, the list's capacity
    const int descriptors = resourcetest::OpenDescriptors();
    const long heap = resourcetest::HeapInUse();
    cycles(10);
    EXPECT_EQ(resourcetest::OpenDescriptors(), descriptors);
    // One lost connection object alone is 2 kB; 200 cycles would lose 400 kB.
    EXPECT_LT(resourcetest::HeapInUse() - heap, 64 * 1024);
}

// The network interfaces of this process's namespace.
std::vector<std::string> Interfaces() {
    std::vector<std::string> names;
    if (struct if_nameindex* list = ::if_nameindex()) {
        for (struct if_nameindex* i = list; i->if_index != 0; ++i) {
            names.emplace_back(i->if_name);
        }
        ::if_freenameindex(list);
    }
    return names;
}

// The search cannot go out: without a UDP socket (no descriptor left), or
// with no route for the broadcast (a namespace whose loopback is down).
TEST(DiscoverCommand, ASearchThatCannotBeSentIsAFailure) {
    if (!nstest::Inside()) {
        const auto withoutSocket = [] {
            OutputCapture out;
            const int lowestFree = ::dup(0);
            ::close(lowestFree);
            const rlimit limit{static_cast<rlim_t>(lowestFree), static_cast<rlim_t>(lowestFree)};
            ::setrlimit(RLIMIT_NOFILE, &limit);
            // Loopback only, should the socket come after all.
            const int result = RunDiscoverCommand({"--broadcast", "127.255.255.255"}, false);
            return result == 1 && out.Stdout().empty() ? 0 : 1;
        };
        EXPECT_EQ(RunInChild(withoutSocket), 0) << "without a socket";
        nstest::RunInPrivateNamespace(simtest::CurrentTestName(), "");
        return;
    }
    ASSERT_EQ(Interfaces(), std::vector<std::string>{"lo"});
    OutputCapture out;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunDiscoverCommand({}, false), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "tm80ctl discover: the search could not be sent: WSAENETUNREACH: The network "
              "cannot be reached from this host at this time.\n");
    EXPECT_EQ(out.Stdout(), "");
}

TEST(DiscoverCommand, RejectsBadArgumentsBeforeSearching) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus"},
                                                 {"--broadcast"},
                                                 {"--broadcast", "300.1.1.1"},
                                                 {"--broadcast", "0.0.0.0"},
                                                 {"127.0.0.1"}}) {
        SCOPED_TRACE(args.back());
        OutputCapture trace;
        EXPECT_EQ(RunDiscoverCommand(args, false), 2);
        EXPECT_EQ(trace.Debug(), ""); // no discovery started
    }
}

TEST(EndToEnd, DefaultBroadcastInPrivateNamespace) {
    if (nstest::RanInPrivateNamespace(nstest::kSearchOnLoopback)) {
        return;
    }
    // Never broadcast where a real network could hear it.
    ASSERT_EQ(Interfaces(), std::vector<std::string>{"lo"});
    // Their modules on UDP port 50001.
    sim::SimUnit first({.address = "127.59.0.1", .note = "FIRST", .module = true});
    sim::UnitConfig two{.address = "127.59.0.2", .model = "80C2", .note = "SECOND", .module = true};
    two.serialHigh = 0x1234;
    two.serialLow = 9999;
    sim::SimUnit second(two);
    ASSERT_TRUE(first.Start() && second.Start()) << first.Error() << second.Error();
    // The list follows the order of the answers, not of the addresses.
    first.SetModuleFault(sim::ModuleFault::DelayedAnswer, 200);

    win::WSADATA data;
    ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data), 0);
    {
        OutputCapture trace;
        const auto start = Clock::now();
        DiscoverWizNET_Devices();
        const int took = MillisecondsSince(start);
        EXPECT_GE(took, 3090); // the 100 ms pause and the whole window (clocks round apart)
        ASSERT_EQ(DiscoveryList::Instance().Count(), 2);
        EXPECT_EQ(DiscoveryList::Instance().At(0).addressText, "127.59.0.2");
        EXPECT_EQ(DiscoveryList::Instance().At(1).addressText, "127.59.0.1");
        EXPECT_EQ(DiscoveryList::Instance().At(1).reachable, 1);

        const std::string text = trace.Debug();
        const std::string stars = "*****************************************************";
        EXPECT_EQ(text.rfind(stars + "\rNow looking for WizNET Devices.\r", 0), 0u);
        for (const std::string& piece :
             {stars + "\rAttempting to TCP connect to: 127.59.0.1.\rConnection State: OPEN\r\n"
                      "Now reading WizNET Device ID.\rFound a 0x16 device.\r\n"
                      "Discovered TM80M1 or TM80C2.\rNow reading Identity Values of TM80.\r"
                      "Now reading User Note of TM80.\r",
              // Polls that find nothing are traced until the window closes.
              std::string("recvfrom() returned -1.\r\n***** Data received from Broadcast "
                          "response is =>\r\n\r\nData did not match expected values in "
                          "Broadcast response.\r\n"),
              std::string("recvfrom() returned -1.\r\nTime out completed.\r\n"
                          "Now exiting DiscoverWizNET_Devices().\r\nTime used: ")}) {
            ASSERT_NE(text.find(piece), std::string::npos) << piece;
        }
        EXPECT_EQ(text.substr(text.size() - stars.size() - 2), stars + "\r\n");
        const int used = std::atoi(text.c_str() + text.find("Time used: ") + 11);
        EXPECT_GE(used, 3000);
        EXPECT_LT(used, took);
    }
    win::WSACleanup();

    OutputCapture json;
    EXPECT_EQ(RunDiscoverCommand({}, true), 0);
    EXPECT_EQ(
        json.Stdout(),
        "[{\"name\":\"TM80C2 Multicoupler\",\"address\":\"127.59.0.2\",\"serial\":"
        "\"1234 9999\",\"note\":\"SECOND\",\"mac\":\"00:08:DC:3B:00:02\",\"model\":"
        "\"80C2\"},{\"name\":\"TM80M Multicoupler\",\"address\":\"127.59.0.1\",\"serial\":"
        "\"00AB 0017\",\"note\":\"FIRST\",\"mac\":\"00:08:DC:3B:00:01\",\"model\":\"80M1\"}]\n");
    OutputCapture table;
    EXPECT_EQ(RunDiscoverCommand({"--broadcast", "127.255.255.255"}, false), 0);
    EXPECT_EQ(table.Stdout(),
              "NAME                 ADDRESS     SERIAL     NOTE    MAC\n"
              "TM80C2 Multicoupler  127.59.0.2  1234 9999  SECOND  00:08:DC:3B:00:02\n"
              "TM80M Multicoupler   127.59.0.1  00AB 0017  FIRST   00:08:DC:3B:00:01\n");
    EXPECT_EQ(win::WSAStartupCount(), 0);
}

} // namespace
