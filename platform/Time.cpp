#include "Time.h"

#include <atomic>
#include <ctime>

namespace win {

namespace {
std::atomic<int> outstandingPeriods{0};
}

void GetLocalTime(SYSTEMTIME* time) {
    if (time == nullptr) {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    time->wYear = static_cast<WORD>(local.tm_year + 1900);
    time->wMonth = static_cast<WORD>(local.tm_mon + 1);
    time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    time->wDay = static_cast<WORD>(local.tm_mday);
    time->wHour = static_cast<WORD>(local.tm_hour);
    time->wMinute = static_cast<WORD>(local.tm_min);
    // A leap second shows as 59, as Windows never reports 60.
    time->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (count == nullptr) {
        return 0;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
    return 1;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (frequency == nullptr) {
        return 0;
    }
    frequency->QuadPart = 1000000000;
    return 1;
}

MMRESULT timeBeginPeriod(UINT) {
    ++outstandingPeriods;
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT) {
    --outstandingPeriods;
    return TIMERR_NOERROR;
}

int OutstandingTimerPeriods() {
    return outstandingPeriods.load();
}

} // namespace win
