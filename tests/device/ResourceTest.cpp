// Many unit open/close cycles, refused connects and discoveries in one
// process: its open descriptors and the heap it uses do not grow.
#include "device/CTM80M1_Comm.h"
#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "device/TCPCom.h"
#include "platform/DebugOutput.h"
#include "platform/WinSock.h"
#include "sim/SimUnit.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/device/ResourceUsage.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using resourcetest::HeapInUse;
using resourcetest::OpenDescriptors;

constexpr const char* kUnit = "127.53.0.2";
constexpr const char* kNobody = "127.53.0.3"; // nothing listens here
constexpr std::uint16_t kDiscoveryPort = 51530;

void OpenAndCloseUnit(SlotTable& table) {
    auto connection = std::make_unique<TCPCom>(kUnit);
    ASSERT_TRUE(connection->IsConnected());
    auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
    const int index = table.Claim();
    table.At(index).slot =
        std::make_unique<UnitSlot>(index, std::move(connection), std::move(unit));
    table.Slot(index)->Open(nullptr);
    ASSERT_GT(table.Slot(index)->bandCount, 0);
    table.Release(index);
    EXPECT_FALSE(TCPCom(kNobody).IsConnected());
}

void Discover() {
    DiscoverWizNET_Devices(DiscoveryTarget{"127.255.255.255", kDiscoveryPort, 150});
    ASSERT_EQ(DiscoveryList::Instance().Count(), 1);
}

TEST(Resources, UnitCyclesAndDiscoveriesKeepDescriptorsAndHeap) {
    if (nstest::RanInPrivateNamespace()) {
        return; // the discoveries broadcast
    }
    sim::UnitConfig config;
    config.address = kUnit;
    config.module = true;
    config.discoveryPort = kDiscoveryPort;
    sim::SimUnit sim(config);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    win::SetStandardOutputSink([](std::string_view) {});
    win::SetDebugOutputSink([](std::string_view) {});
    win::WSADATA data;
    ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data), 0);
    SlotTable table;

    auto cycles = [&](int discoveries) {
        for (int d = 0; d < discoveries; ++d) {
            for (int u = 0; u < 20; ++u) {
                OpenAndCloseUnit(table);
            }
            Discover();
            sim.ClearFrames();
        }
    };
    cycles(2); // first-time allocations: statics, the list's capacity
    const int descriptors = OpenDescriptors();
    const long heap = HeapInUse();
    cycles(10);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    // One lost connection object alone is 2 kB; 200 cycles would lose 400 kB.
    EXPECT_LT(HeapInUse() - heap, 64 * 1024);

    win::WSACleanup();
    win::SetStandardOutputSink({});
    win::SetDebugOutputSink({});
}

} // namespace
