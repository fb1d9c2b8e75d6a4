// What a unit slot keeps in files: setup files (the bytes a save leaves in new
// files and in files a Windows user wrote, the read rules of a recall, files
// that are no setup, saves killed half-way), and the health history, whose
// CSV leaves a read the unit did not answer empty, never zero.
#include "device/HealthCsv.h"
#include "device/PageSetupParts.h"
#include "device/UnitHistory.h"
#include "device/UnitSlot.h"
#include "tests/infra/KilledWriter.h"
#include "tests/infra/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>

namespace {

// A slot with the panes of a freshly opened window and a unit that never talks.
struct Slot {
    explicit Slot(int seed = 0) {
        slot.AttachWindow(&host);
        Fill(seed);
    }
    // Distinct values everywhere; output r on band 7 - r with seed 0.
    void Fill(int seed) {
        for (int b = 0; b < UnitSlot::kBands; ++b) {
            for (int c = 0; c < UnitSlot::kChannels; ++c) {
                slot.calibrationTable[b][c] = static_cast<std::uint8_t>(20 + b * 10 + c + seed);
            }
            slot.bandSelection[b] = (7 - b + seed) % 8;
        }
        for (int c = 0; c < UnitSlot::kChannels; ++c) {
            slot.adjustments[c] = static_cast<std::int8_t>(c - 5 + seed);
        }
        slot.calibrationTable[7][9] = 200; // written unsigned
        slot.bandCount = UnitSlot::kBands;
    }
    UnitSlot slot{0, nullptr, std::make_unique<CTM80M1_Comm>(nullptr)};
    FreshWindowHost host;
};

// The DEVICE keys in write order with the values of seed 0, CRLF lines;
// `skip` leaves out keys the file already had.
std::string DeviceLines(const std::set<std::string>& skip = {}) {
    std::string lines;
    auto add = [&](const std::string& key, int value) {
        if (skip.count(key) == 0) {
            lines += key + "=" + std::to_string(value) + "\r\n";
        }
    };
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 10; ++c) {
            add(std::to_string(b) + "_" + std::to_string(c) + "_ATT_SETTING",
                b == 7 && c == 9 ? 200 : 20 + b * 10 + c);
        }
        add(std::to_string(b) + "_BAND_SELECTION", 7 - b);
    }
    for (int c = 0; c < 10; ++c) {
        add(std::to_string(c) + "_ATT_ADJ", c - 5);
    }
    return lines;
}

TEST(SetupSave, WritesTheKeysInOrderAndKeepsWhatAWindowsFileHeld) {
    TempFolder dir;
    Slot s;
    ASSERT_EQ(s.slot.SaveSetup(dir / "new.TM80"), 1);
    EXPECT_EQ(ReadFile(dir / "new.TM80"),
              "[DEVICE]\r\n" + DeviceLines() +
                  "[CALIBRATION]\r\nSPLIT_MODE=0\r\nCAL_BAND_SELECTION=0\r\n");

    // Comments, other sections, blanks around "=" and the spelling of keys stay.
    const std::string head = "; TM80 setup\r\n[NOTES]\r\nSite=North mast\r\n[device]\r\n";
    const std::string tail = "[OLD]\r\nx=1\r\n";
    WriteFile(dir / "windows.TM80", head +
                                        "0_0_ATT_SETTING = 40\r\n; hand edit\r\n"
                                        "3_band_selection=2\r\n\r\n[CALIBRATION]\r\n"
                                        "SPLIT_MODE=1\r\n" +
                                        tail);
    ASSERT_EQ(s.slot.SaveSetup(dir / "windows.TM80"), 1);
    EXPECT_EQ(ReadFile(dir / "windows.TM80"),
              head + "0_0_ATT_SETTING = 20\r\n; hand edit\r\n3_band_selection=4\r\n" +
                  DeviceLines({"0_0_ATT_SETTING", "3_BAND_SELECTION"}) +
                  "\r\n[CALIBRATION]\r\nSPLIT_MODE=0\r\nCAL_BAND_SELECTION=0\r\n" + tail);

    // A folder that is not there: nothing is written.
    EXPECT_EQ(s.slot.SaveSetup(dir / "absent/x.TM80"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
}

TEST(SetupRecall, TakesWhatReadsAsAnIntegerAndKeepsTheRest) {
    TempFolder dir;
    Slot saved, before(1);
    ASSERT_EQ(saved.slot.SaveSetup(dir / "saved.TM80"), 1);
    // A slot of seed 1 whose unit has `bands` bands, after recalling `content`
    // (none: the file saved above).
    auto recall = [&](const std::string& content, int bands = UnitSlot::kBands) {
        auto s = std::make_unique<Slot>(1);
        s->slot.bandCount = bands;
        if (!content.empty()) {
            WriteFile(dir / "case.TM80", content);
        }
        EXPECT_EQ(s->slot.RecallSetup(dir / (content.empty() ? "saved.TM80" : "case.TM80")), 1);
        return s;
    };

    auto s = recall("");
    UnitSlot::Table expected = saved.slot.calibrationTable;
    expected[7][9] = 119; // 200, written as it was held, comes back in range
    EXPECT_EQ(s->slot.calibrationTable, expected);
    EXPECT_EQ(s->slot.bandSelection, saved.slot.bandSelection);
    EXPECT_EQ(s->slot.adjustments, saved.slot.adjustments);

    s = recall("[CALIBRATION]\nSPLIT_MODE=1\nCAL_BAND_SELECTION=5\n");
    EXPECT_EQ(s->slot.calibrationTable, before.slot.calibrationTable);
    EXPECT_EQ(s->slot.bandSelection, before.slot.bandSelection);
    EXPECT_EQ(s->slot.adjustments, before.slot.adjustments);
    EXPECT_EQ(s->host.Panes()->calibration.band, 5);
    EXPECT_EQ(s->host.Panes()->calibration.split, 1);

    s = recall("[DEVICE]\r\n4_BAND_SELECTION=6\r\n1_BAND_SELECTION=8\r\n2_BAND_SELECTION=-1\r\n"
               "3_BAND_SELECTION=2x\r\n6_BAND_SELECTION=7\r\n0_0_ATT_SETTING=300\r\n"
               "0_1_ATT_SETTING=0x10\r\n0_9_ATT_SETTING=-5\r\n1_ATT_ADJ=255\r\n2_ATT_ADJ = -3 \r\n"
               "3_ATT_ADJ=\r\n9_ATT_ADJ=-130\r\n"
               "[CALIBRATION]\r\nSPLIT_MODE=2\r\nCAL_BAND_SELECTION=9\r\n",
               7);
    EXPECT_EQ(s->slot.bandSelection[4], 6);
    // Out of 0..7, at or beyond the unit's 7 bands, or no integer: kept. No
    // 5_BAND_SELECTION: kept.
    for (int output : {1, 2, 3, 5, 6}) {
        EXPECT_EQ(s->slot.bandSelection[output], before.slot.bandSelection[output]) << output;
    }
    // Clamped into the channel's range, never wrapped.
    EXPECT_EQ(s->slot.calibrationTable[0][0], 115);
    EXPECT_EQ(s->slot.calibrationTable[0][9], 8);
    EXPECT_EQ(s->slot.calibrationTable[0][1], before.slot.calibrationTable[0][1]);
    EXPECT_EQ(s->slot.adjustments[1], 12);
    EXPECT_EQ(s->slot.adjustments[9], -8);
    EXPECT_EQ(s->slot.adjustments[2], -3);
    EXPECT_EQ(s->slot.adjustments[3], 0); // an empty value reads as 0
    EXPECT_EQ(s->slot.adjustments[4], before.slot.adjustments[4]);
    EXPECT_EQ(s->host.Panes()->calibration.split, 2); // sends no values later
    EXPECT_EQ(s->host.Panes()->calibration.band, 0);

    // Not a setup file, or no file: nothing read.
    WriteFile(dir / "notes.ini", "; DEVICE\r\n[NOTES]\r\nDEVICE=1\r\n0_ATT_ADJ=4\r\n");
    for (const std::string& file : {dir / "notes.ini", dir / "missing.TM80"}) {
        Slot none(1);
        none.host.Panes()->calibration.band = 3;
        EXPECT_EQ(none.slot.RecallSetup(file), 0) << file;
        EXPECT_EQ(none.slot.adjustments[0], -4) << file;
        EXPECT_EQ(none.host.Panes()->calibration.band, 3) << file;
    }
}

// Whole setup saves killed (SIGKILL) at random points: the file is always
// the one before or a whole save, never a part.
TEST(SetupSave, KilledSavesLeaveWholeFiles) {
    TempFolder dir(true);
    const std::string file = dir / "unit.TM80";
    const std::string original = "; kept\r\n[NOTES]\r\nSite=North\r\n[DEVICE]\r\n1_ATT_ADJ = 4\r\n";
    WriteFile(file, original);
    Slot s;
    std::set<std::string> states{original};
    killtest::KillWhileWriting(
        300, 13,
        [&](int i) {
            s.Fill(i % 2);
            return s.slot.SaveSetup(file) == 1;
        },
        [&] { states.insert(ReadFile(file)); }, [&] { return states.count(ReadFile(file)) == 1; });
    EXPECT_EQ(states.size(), 3u); // the original and the two fills
}

using Outcome = HealthReading::Outcome;

constexpr std::int64_t kSecond = 1000;

HealthReading Reading(std::int64_t timeMs, Outcome outcome = Outcome::Answered,
                      UnitStatus status = {41, 12.0, 1.5}, bool lost = false) {
    return HealthReading::Of(timeMs, status, outcome, lost);
}

TEST(UnitHistory, KeepsTheNewestReadingsInTimeOrder) {
    for (const auto& [capacity, recorded] :
         {std::pair<std::size_t, int>{5, 3}, {5, 5}, {5, 12}, {1, 4}}) {
        SCOPED_TRACE(testing::Message() << capacity << " " << recorded);
        UnitHistory history(capacity);
        for (int i = 1; i <= recorded; ++i) {
            history.Record(Reading(i * kSecond));
        }
        const std::size_t kept = std::min<std::size_t>(capacity, recorded);
        ASSERT_EQ(history.Size(), kept);
        EXPECT_EQ(history.Recorded(), static_cast<std::uint64_t>(recorded));
        EXPECT_LE(history.MemoryBytes(), capacity * sizeof(HealthReading));
        const std::int64_t oldest = (recorded - static_cast<int>(kept) + 1) * kSecond;
        for (std::size_t i = 0; i < kept; ++i) {
            EXPECT_EQ(history[i].timeMs, oldest + static_cast<std::int64_t>(i) * kSecond);
        }
        EXPECT_EQ(history.FirstAtOrAfter(0), 0u);
        EXPECT_EQ(history.FirstAtOrAfter(oldest + 1), kept > 1 ? 1u : kept);
        EXPECT_EQ(history.FirstAtOrAfter(recorded * kSecond + 1), kept);
        // A clock set back does not put a reading before the newest.
        history.Record(Reading(0));
        EXPECT_EQ(history.Newest().timeMs, recorded * kSecond);
        history.Clear();
        EXPECT_EQ(history.Size(), 0u);
        EXPECT_EQ(history.Recorded(), 0u);
    }
    // The default ring holds a day of readings once a second in the memory the README states.
    UnitHistory day;
    constexpr std::int64_t kDay = 24 * 60 * 60;
    for (std::int64_t s = 0; s < kDay + 2 * 60 * 60; ++s) {
        day.Record(Reading(s * kSecond));
    }
    EXPECT_GE(day.Newest().timeMs - day[0].timeMs, kDay * kSecond);
    EXPECT_LE(day.MemoryBytes(), 1440000u);
}

TEST(HealthCsv, BytesInEachTimeZoneWithEmptyCellsForUnansweredReads) {
    constexpr std::int64_t kAt = 1779026602000; // 2026-05-17 14:03:22 UTC
    const char* saved = std::getenv("TZ");
    const std::string before = saved != nullptr ? saved : "";
    for (const auto& [zone, stamp, next] : {
             std::tuple{"UTC0", "2026-05-17T14:03:22+00:00", "2026-05-17T14:03:23+00:00"},
             {"<+0530>-5:30", "2026-05-17T19:33:22+05:30", "2026-05-17T19:33:23+05:30"},
             {"EST5", "2026-05-17T09:03:22-05:00", "2026-05-17T09:03:23-05:00"},
         }) {
        SCOPED_TRACE(zone);
        ::setenv("TZ", zone, 1);
        ::tzset();
        UnitHistory history;
        history.Record(Reading(kAt, Outcome::Answered, {41, 12.0, 1.5}));
        history.Record(Reading(kAt + 500, Outcome::Answered, {88, 11.9, 2.0})); // too hot
        // The unit model's values after a failed read must not show.
        history.Record(Reading(kAt + kSecond, Outcome::Failed, {55, 11.0, 2.0}));
        history.Record(Reading(kAt + kSecond, Outcome::LeftOut, {}, true));
        const std::string header = "time,ok,temperature_c,voltage_v,current_a,power_w,alarm\n";
        const std::string hot = std::string(stamp) + ",true,88,11.9,2.0,23.8,true\n";
        EXPECT_EQ(HealthCsv::Document(history), header + stamp + ",true,41,12.0,1.5,18.0,false\n" +
                                                    hot + next + ",false,,,,,true\n" + next +
                                                    ",false,,,,,true\n");
        // A span takes the readings made within it.
        EXPECT_EQ(HealthCsv::Document(history, kAt + 1, kAt + 500), header + hot);
    }
    saved != nullptr ? ::setenv("TZ", before.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
}

} // namespace
