// Local time, the performance counter and the multimedia timer resolution.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>

namespace win {

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0; // 1 = January
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

struct LARGE_INTEGER {
    std::int64_t QuadPart = 0;
};

// The local wall-clock time to the millisecond.
void GetLocalTime(SYSTEMTIME* time);

// A monotonic counter in nanoseconds; the frequency is therefore 1e9.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

using MMRESULT = UINT;
inline constexpr MMRESULT TIMERR_NOERROR = 0;

// Linux timers need no resolution request: the calls only count the requests
// still outstanding, so a caller's begin and end calls can be checked to match.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
int OutstandingTimerPeriods();

} // namespace win
