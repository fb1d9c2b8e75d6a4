// The Windows scalar types of the profile, file, time and mutex calls and of
// colour values; the window layer's own (platform/ui/WinTypes.h) add to them.
#pragma once

#include <cstdint>

namespace win {

using BOOL = int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
// A colour as 0x00BBGGRR, red in the low byte.
using COLORREF = std::uint32_t;

} // namespace win
