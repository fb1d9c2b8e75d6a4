// `tm80ctl ADDRESS watch [--interval MS] [--count N] [--csv]`: reads the unit's
// status every MS milliseconds (1000 by default) and prints one line per
// reading, as text, with --json as one JSON object per line (JSON Lines), or
// with --csv as CSV after a header line (the history window's export form). A
// reading above 80 °C or a reading that failed is marked as an alarm. Runs until N
// readings were made or SIGINT/SIGTERM arrives; the connection is closed on
// the way out. Everything runs on the calling thread: the stop signals only
// raise a flag that is looked at between readings and during the waits.
#pragma once

#include <ostream>
#include <string>

struct WatchOptions {
    static constexpr int kShortestIntervalMs = 200;
    static constexpr int kDefaultIntervalMs = 1000;

    std::string address;
    int intervalMs = kDefaultIntervalMs;
    long count = 0; // 0: until stopped
    bool json = false;
    bool csv = false;
};

// 0 when every reading succeeded, 1 when the unit could not be reached or a
// reading failed (the unit stopped answering).
int RunWatchCommand(const WatchOptions& options, std::ostream& out, std::ostream& err);
