#include "infra/WallClock.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

std::tm LocalTime(std::int64_t timeMs) {
    // Floor division, so that a moment before 1970 falls in its own second.
    std::int64_t seconds = timeMs / 1000;
    if (timeMs % 1000 < 0) {
        --seconds;
    }
    const auto t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

} // namespace

std::int64_t WallClockMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::int64_t UtcOffsetMs(std::int64_t timeMs) {
    return static_cast<std::int64_t>(LocalTime(timeMs).tm_gmtoff) * 1000;
}

std::string IsoLocalTime(std::int64_t timeMs) {
    const std::tm local = LocalTime(timeMs);
    std::array<char, 48> text{};
    const std::size_t n = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff / 60;
    const long magnitude = offset < 0 ? -offset : offset;
    std::snprintf(text.data() + n, text.size() - n, "%c%02ld:%02ld", offset < 0 ? '-' : '+',
                  magnitude / 60, magnitude % 60);
    return text.data();
}

std::string PlainLocalTime(std::int64_t timeMs) {
    const std::tm local = LocalTime(timeMs);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &local);
    return text.data();
}
