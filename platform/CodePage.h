// The system's 8-bit texts are Windows-1252 ("ANSI" on a Western Windows), as
// the profile calls convert them when a file is kept in UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace win {

// Every byte has a character: the five bytes 1252 leaves undefined (81, 8D,
// 8F, 90, 9D) become the control characters of the same number, as Windows
// converts them.
std::u16string AnsiToUtf16(std::string_view text);
// The inverse; a character 1252 cannot hold becomes "?" (a surrogate pair
// becomes one "?").
std::string Utf16ToAnsi(std::u16string_view text);

} // namespace win
