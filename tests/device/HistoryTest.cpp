// A unit's history: the ring's bounds and order, and its CSV bytes, where a
// read the unit did not answer has empty cells, never zeros.
#include "device/HealthCsv.h"
#include "device/UnitHistory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

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
