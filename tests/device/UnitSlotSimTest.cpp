// A unit slot opened on a simulated unit ends with the unit's bands, names,
// split, selections, adjustments, tables and gains; the unit model's
// writes land in the simulated unit.
#include "device/UnitSlot.h"
#include "sim/SimUnit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// A started simulated unit on a free address 127.44.x.y picked from the test's name.
std::unique_ptr<sim::SimUnit> StartSim(sim::UnitConfig config = {}) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::size_t h = std::hash<std::string>{}(std::string(info->test_suite_name()) + info->name());
    for (int attempt = 0; attempt < 50; ++attempt, h += 7919) {
        config.address =
            "127.44." + std::to_string((h >> 8) % 254 + 1) + "." + std::to_string(h % 253 + 2);
        auto unit = std::make_unique<sim::SimUnit>(config);
        if (unit->Start()) {
            return unit;
        }
    }
    return nullptr;
}

std::unique_ptr<UnitSlot> OpenSlot(const sim::SimUnit& sim) {
    auto connection = std::make_unique<TCPCom>(sim.Config().address.c_str());
    EXPECT_TRUE(connection->IsConnected());
    auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
    auto slot = std::make_unique<UnitSlot>(3, std::move(connection), std::move(unit));
    slot->Open(nullptr);
    return slot;
}

TEST(UnitSlotOnSimulator, OpenEndsWithTheUnitsPicture) {
    sim::UnitConfig config;
    config.note = "Mast 7";
    auto sim = StartSim(config);
    ASSERT_NE(sim, nullptr);
    sim->SetAdjustment(2, -5);
    sim->SetAdjustment(9, 7);
    auto slot = OpenSlot(*sim);

    std::vector<std::string> order;
    for (const auto& frame : sim->Frames()) {
        char text[16];
        std::snprintf(text, sizeof text, "%04X:%02X", frame.command,
                      frame.bytes.size() > 6 ? frame.bytes[6] : 0);
        order.push_back(text);
    }
    const std::vector<std::string> expected = {
        "1001:06", "1001:04", "1003:00", "4000:00", "2009:00", "2009:01", "2009:04",
        "2009:05", "2009:06", "2009:07", "2009:08", "2009:09", "2009:0A", "2009:0B",
        "4004:00", "2009:0C", "2009:0D", "2009:0E", "2009:0F"};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(sim->LedFlashes(), 1);

    EXPECT_EQ(slot->userNote, "Mast 7");
    EXPECT_EQ(slot->addressText, sim->Config().address);
    EXPECT_EQ(slot->split, sim->Split());
    std::vector<int> selection(slot->bandSelection.begin(), slot->bandSelection.end());
    EXPECT_EQ(selection, sim->BandSelection());
    std::vector<int> adjustments(slot->adjustments.begin(), slot->adjustments.end());
    EXPECT_EQ(adjustments, sim->Adjustments());
    EXPECT_EQ(slot->adjustments[2], -5);
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 10; ++c) {
            EXPECT_EQ(slot->calibrationTable[b][c], sim->Calibration(b, c));
            EXPECT_EQ(slot->referenceTable[b][c], sim->Reference(b, c));
            EXPECT_DOUBLE_EQ(
                slot->gainTable[b][c],
                UnitSlot::OverallGain(static_cast<std::uint8_t>(sim->Reference(b, c)),
                                      static_cast<std::uint8_t>(sim->Calibration(b, c)),
                                      slot->adjustments[c]));
        }
    }
    // The simulated 80M1 carries five bands, in band slots 1 to 5.
    ASSERT_EQ(slot->bandCount, 5);
    EXPECT_EQ(slot->bandTexts[0], "LL: 1435 - 1535");
    EXPECT_EQ(slot->bandTexts[1], "UL: 1750 - 1850");
    EXPECT_EQ(slot->bandTexts[2], "S: 2200 - 2395");
    EXPECT_EQ(slot->bandTexts[3], "C1: 4400 - 4940");
    EXPECT_EQ(slot->bandTexts[4], "C2: 5091 - 5150");
    EXPECT_EQ(slot->Unit()->bandTable.monitoring, 1);
}

TEST(UnitSlotOnSimulator, WritesReachTheUnitAndReadBack) {
    auto sim = StartSim();
    ASSERT_NE(sim, nullptr);
    auto slot = OpenSlot(*sim);
    CTM80M1_Comm& unit = *slot->Unit();

    ASSERT_EQ(unit.SetOutputAdjustment(4, 30), 1);
    EXPECT_EQ(sim->Adjustments()[4], 12);
    ASSERT_EQ(unit.SetSplitAndBands(1, {4, 3, 2, 1, 0, 1, 2, 3}), 1);
    EXPECT_EQ(sim->Split(), 1);
    EXPECT_EQ(sim->BandSelection(), (std::vector<int>{4, 3, 2, 1, 0, 1, 2, 3}));
    ASSERT_EQ(unit.ReadSplitAndBands(), 1);
    EXPECT_EQ(unit.settings.split, 1);
    EXPECT_EQ(unit.settings.bandSelection[0], 4);

    ASSERT_EQ(unit.SetCalibrationValue(2, 0, 1, 200), 1);
    EXPECT_EQ(sim->Calibration(2, 1), 115);
    ASSERT_EQ(unit.SelectCalibrationBand(1, 3), 1);
    EXPECT_EQ(unit.calibration.calibrationBand, sim->CalibrationBand());
    ASSERT_EQ(unit.FactoryReset(2), 1);
    ASSERT_EQ(unit.ReadCalibrationTable(), 1);
    EXPECT_EQ(unit.calibration.calibration[2][1], sim->Calibration(2, 1));
    EXPECT_NE(sim->Calibration(2, 1), 115);

    ASSERT_EQ(unit.WriteUserNote("A note too long to keep"), 1);
    EXPECT_STREQ(unit.identity.userNote.data(), "A note too long ");
    EXPECT_EQ(sim->Note(), "A note too long ");

    ASSERT_EQ(unit.ReadIdentity(), 1);
    EXPECT_STREQ(unit.identity.modelCode.data(), "80M1");
    EXPECT_EQ(unit.SerialNumberText(), "00AB-17");
    EXPECT_EQ(unit.identity.firmware, 0x01020304u);
    EXPECT_STREQ(unit.identity.productIdentifier.data(),
                 "TM80M1 8-OUTPUT RF MULTICOUPLER 1435-5150 MHZ");

    sim->SetStatus(-5, 243, 17);
    ASSERT_EQ(unit.ReadStatus(), 1);
    EXPECT_DOUBLE_EQ(unit.status.temperature, -5);
    EXPECT_DOUBLE_EQ(unit.status.voltage, 24.3);
    EXPECT_DOUBLE_EQ(unit.status.current, 1.7);
}

TEST(UnitSlotOnSimulator, HeaderOnlyRepliesFailAfterTheBudget) {
    auto sim = StartSim();
    ASSERT_NE(sim, nullptr);
    auto connection = std::make_unique<TCPCom>(sim->Config().address.c_str());
    ASSERT_TRUE(connection->IsConnected());
    CTM80M1_Comm unit(connection.get());
    sim->SetFault(sim::Fault::HeaderOnly);
    unit.status = {20, 12, 1};
    EXPECT_EQ(unit.ReadStatus(), 0);
    EXPECT_EQ(unit.status.voltage, 0);
    // Without its payload the adjustment set still succeeds: its reply is a header only.
    EXPECT_EQ(unit.SetOutputAdjustment(0, 3), 1);
    EXPECT_EQ(unit.settings.adjustments[0], 3);
}

} // namespace
