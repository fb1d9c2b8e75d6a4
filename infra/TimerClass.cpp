#include "TimerClass.h"

#include <cmath>
#include <cstdint>

namespace {

std::string LockNameFor(const void* instance) {
    return "TIMERCLASS_GETTIME_MUTEX_" + std::to_string(reinterpret_cast<std::uintptr_t>(instance));
}

double ReadCounter() {
    win::LARGE_INTEGER count;
    win::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart);
}

} // namespace

TimerClass::TimerClass() : lock_(LockNameFor(this)) {
    win::timeBeginPeriod(1);
    win::timeBeginPeriod(1);
    Resync();
    Update();
}

TimerClass::~TimerClass() {
    win::timeEndPeriod(1);
    win::timeEndPeriod(1);
}

int TimerClass::DayOfYear(const win::SYSTEMTIME& time) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = time.wYear % 4 == 0;
    const int month = (time.wMonth >= 1 && time.wMonth <= 12) ? time.wMonth : 1;
    int length = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
    const int day = time.wDay > length ? 1 : time.wDay;
    int before = 0;
    for (int m = 1; m < month; ++m) {
        before += kDays[m - 1] + (m == 2 && leap ? 1 : 0);
    }
    return before + day;
}

double TimerClass::SecondsOfYear(const win::SYSTEMTIME& time) {
    const double seconds = DayOfYear(time) * 86400.0 + time.wHour * 3600.0 + time.wMinute * 60.0 +
                           time.wSecond + time.wMilliseconds / 1000.0;
    if (seconds < 0.0 || seconds > kUpperBound) {
        return 0.0;
    }
    return seconds;
}

double TimerClass::SecondsOfYearNow() {
    win::SYSTEMTIME now;
    win::GetLocalTime(&now);
    return SecondsOfYear(now);
}

void TimerClass::Resync() {
    win::LARGE_INTEGER frequency;
    win::QueryPerformanceFrequency(&frequency);
    secondsPerTick_ = frequency.QuadPart > 0 ? 1.0 / static_cast<double>(frequency.QuadPart) : 0.0;
    counterOrigin_ = ReadCounter();
    baseTime_ = SecondsOfYearNow();
}

double TimerClass::GetTime() {
    if (lock_.Wait(kLockWaitMs) != win::WAIT_OBJECT_0) {
        return -1.0;
    }
    // A counter that went backwards still counts forwards.
    const double t = std::fabs(ReadCounter() - counterOrigin_) * secondsPerTick_ + baseTime_;
    lock_.Release();
    return t;
}

void TimerClass::Update() {
    double t = GetTime();
    if (t == -1.0) {
        t = 0.0; // lock not had
    }
    previousTime_ = currentTime_;
    if (t < 0.0) {
        currentTime_ = 0.0;
        valid_ = false;
    } else if (t > kUpperBound) {
        currentTime_ = kUpperBound;
        valid_ = false;
    } else {
        currentTime_ = t;
        valid_ = true;
    }
}
