// The wall clock in milliseconds and the texts of a moment in local time that
// logs and exports carry.
#pragma once

#include <cstdint>
#include <string>

// Milliseconds since 1970-01-01 UTC.
std::int64_t WallClockMs();

// How far local time is ahead of UTC at that moment.
std::int64_t UtcOffsetMs(std::int64_t timeMs);

// "2026-05-17T14:03:22+02:00": ISO 8601, local time with its offset from UTC,
// to the second.
std::string IsoLocalTime(std::int64_t timeMs);
// "2026-05-17 14:03:22": local time for people.
std::string PlainLocalTime(std::int64_t timeMs);
