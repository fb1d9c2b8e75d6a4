// tm80ctl: connects to one unit, does one thing, prints the result, exits.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Exit statuses.
inline constexpr int kCtlOk = 0;
inline constexpr int kCtlFailed = 1; // the unit could not be reached or an exchange failed
inline constexpr int kCtlUsage = 2;  // nothing was sent

// The usage text that --help prints.
extern const char* const kTm80CtlUsage;
// The line that follows the error of a usage error.
extern const char* const kTm80CtlHelpHint;

// Runs one tm80ctl command; `args` are the words after the program name.
int RunTm80Ctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
