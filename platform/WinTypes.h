// The Windows scalar types of the profile, file, time and mutex calls and of
// colour values. Redeclaring an alias to the same type is allowed, so these
// agree with the other headers that declare them.
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
