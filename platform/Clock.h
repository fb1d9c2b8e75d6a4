// Clocks and sleeps of the Windows program.
#pragma once

#include <cstdint>

namespace win {

// The process clock in milliseconds since the process started. On Windows
// clock() counts wall time at 1000 ticks a second; Linux's clock() counts CPU
// time, which would never run out while a socket call waits.
std::int64_t ProcessClock();

void Sleep(std::uint32_t milliseconds);

} // namespace win
