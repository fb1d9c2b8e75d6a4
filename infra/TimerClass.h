// The error log's clock: the local time of day, read once to the millisecond,
// carried forward by the performance counter. Times are seconds of the year,
// counted from day 1 (1 January 00:00 is 86,400).
#pragma once

#include "platform/NamedMutex.h"
#include "platform/Time.h"

#include <string>

class TimerClass {
public:
    // 367 days: the upper bound of every time value.
    static constexpr double kUpperBound = 31708800.0;
    static constexpr unsigned kLockWaitMs = 30;

    TimerClass();
    // Gives back the two timer-resolution requests.
    ~TimerClass();
    TimerClass(const TimerClass&) = delete;
    TimerClass& operator=(const TimerClass&) = delete;

    // Seconds of the year now, or -1.0 when the lock cannot be had within 30 ms.
    double GetTime();
    // Re-reads the counter frequency, the counter origin and the base time.
    void Resync();

    double CurrentTime() const { return currentTime_; }
    double PreviousTime() const { return previousTime_; }
    bool Valid() const { return valid_; }
    // "TIMERCLASS_GETTIME_MUTEX_" and this instance's address in decimal.
    const std::string& LockName() const { return lock_.Name(); }

    // Day of the year from 1; a month above 12 counts as January, a day beyond
    // its month as day 1; every fourth year is a leap year.
    static int DayOfYear(const win::SYSTEMTIME& time);
    // Day of year x 86,400 + the time of day with milliseconds; 0 when outside
    // 0..kUpperBound.
    static double SecondsOfYear(const win::SYSTEMTIME& time);

private:
    void Update();
    static double SecondsOfYearNow();

    win::NamedMutex lock_;
    double currentTime_ = 0.0;
    double previousTime_ = 0.0;
    bool valid_ = false;
    double baseTime_ = 0.0;
    double counterOrigin_ = 0.0;
    double secondsPerTick_ = 0.0;
};
