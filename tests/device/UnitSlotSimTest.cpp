// A unit slot opened on a simulated unit ends with the unit's picture; the
// unit model's writes land in the simulated unit and read back.
#include "device/UnitSlot.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

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
    auto sim = simtest::StartUnit(44, simtest::CurrentTestName(), config);
    ASSERT_NE(sim, nullptr);
    sim->SetAdjustment(2, -5);
    sim->SetAdjustment(9, 7);
    auto slot = OpenSlot(*sim);

    EXPECT_EQ(sim->LedFlashes(), 1);
    EXPECT_EQ(slot->userNote, "Mast 7");
    EXPECT_EQ(slot->split, sim->Split());
    EXPECT_EQ(std::vector<int>(slot->bandSelection.begin(), slot->bandSelection.end()),
              sim->BandSelection());
    EXPECT_EQ(std::vector<int>(slot->adjustments.begin(), slot->adjustments.end()),
              sim->Adjustments());
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 10; ++c) {
            EXPECT_EQ(slot->calibrationTable[b][c], sim->Calibration(b, c));
            EXPECT_EQ(slot->referenceTable[b][c], sim->Reference(b, c));
        }
    }
    // The simulated 80M1 carries five bands, in band slots 1 to 5.
    EXPECT_EQ(std::vector<std::string>(slot->bandTexts.begin(), slot->bandTexts.begin() + 5),
              (std::vector<std::string>{"LL: 1435 - 1535", "UL: 1750 - 1850", "S: 2200 - 2395",
                                        "C1: 4400 - 4940", "C2: 5091 - 5150"}));
    EXPECT_EQ(slot->bandCount, 5);
    EXPECT_EQ(slot->Unit()->bandTable.monitoring, 1);
}

TEST(UnitSlotOnSimulator, WritesReachTheUnitAndReadBack) {
    auto sim = simtest::StartUnit(44, simtest::CurrentTestName());
    ASSERT_NE(sim, nullptr);
    auto slot = OpenSlot(*sim);
    CTM80M1_Comm& unit = *slot->Unit();

    ASSERT_EQ(unit.SetOutputAdjustment(4, 30), 1);
    EXPECT_EQ(sim->Adjustments()[4], 12);
    ASSERT_EQ(unit.SetSplitAndBands(1, {4, 3, 2, 1, 0, 1, 2, 3}), 1);
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

} // namespace
