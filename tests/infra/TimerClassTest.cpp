// The timer: day of the year, seconds of the year, and its resolution requests.
#include "infra/TimerClass.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

namespace {

win::SYSTEMTIME Time(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                     int ms = 0) {
    win::SYSTEMTIME t;
    t.wYear = static_cast<win::WORD>(year);
    t.wMonth = static_cast<win::WORD>(month);
    t.wDay = static_cast<win::WORD>(day);
    t.wHour = static_cast<win::WORD>(hour);
    t.wMinute = static_cast<win::WORD>(minute);
    t.wSecond = static_cast<win::WORD>(second);
    t.wMilliseconds = static_cast<win::WORD>(ms);
    return t;
}

TEST(TimerClassTime, DayOfYear) {
    struct Case {
        win::SYSTEMTIME time;
        int day;
    };
    const Case cases[] = {
        {Time(2023, 1, 1), 1},     {Time(2023, 5, 3), 123}, {Time(2024, 5, 3), 124},
        {Time(2023, 3, 1), 60},    {Time(2024, 3, 1), 61},  {Time(2023, 12, 31), 365},
        {Time(2024, 12, 31), 366}, {Time(2023, 13, 5), 5},  // a month above 12 is January
        {Time(2023, 1, 32), 1},    {Time(2023, 2, 29), 32}, // a day beyond its month is day 1
        {Time(2024, 2, 29), 60},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimerClass::DayOfYear(c.time), c.day)
            << c.time.wYear << "-" << c.time.wMonth << "-" << c.time.wDay;
    }
}

TEST(TimerClassTime, SecondsOfYear) {
    EXPECT_DOUBLE_EQ(TimerClass::SecondsOfYear(Time(2023, 5, 3, 14, 5, 7, 123)),
                     123 * 86400.0 + 14 * 3600 + 5 * 60 + 7.123);
    // The last moment of a leap year stays below the upper bound.
    const double t = TimerClass::SecondsOfYear(Time(2024, 12, 31, 23, 59, 59, 999));
    EXPECT_GT(t, 366 * 86400.0);
    EXPECT_LT(t, TimerClass::kUpperBound);
}

TEST(TimerClassTime, GivesBackItsResolutionRequests) {
    const int before = win::OutstandingTimerPeriods();
    {
        TimerClass timer;
        EXPECT_EQ(win::OutstandingTimerPeriods(), before + 2);
    }
    EXPECT_EQ(win::OutstandingTimerPeriods(), before);
}

} // namespace
