// The debugger output channel and standard output of the Windows program.
//
// The application has no console: both channels go through replaceable sinks
// that keep every line. By default the debugger channel writes to stderr and
// standard output to stdout.
#pragma once

#include <functional>
#include <string_view>

namespace win {

using OutputSink = std::function<void(std::string_view)>;

void OutputDebugStringA(const char* text);
// Replaces the debugger channel's sink; an empty sink restores stderr.
void SetDebugOutputSink(OutputSink sink);

// printf to the standard-output sink.
int StandardOutput(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Replaces the standard-output sink; an empty sink restores stdout.
void SetStandardOutputSink(OutputSink sink);

} // namespace win
