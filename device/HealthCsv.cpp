#include "device/HealthCsv.h"

#include "device/UnitHistory.h"
#include "infra/WallClock.h"

#include <cstdio>

std::string HealthCsv::Header() {
    std::string line;
    for (const char* name : kColumns) {
        if (!line.empty()) {
            line += ',';
        }
        line += name;
    }
    return line + "\n";
}

std::string HealthCsv::Row(const HealthReading& r) {
    std::string line = IsoLocalTime(r.timeMs);
    line += r.Answered() ? ",true," : ",false,";
    if (r.Answered()) {
        char values[64];
        std::snprintf(values, sizeof values, "%d,%.1f,%.1f,%.1f", r.Temperature(), r.Voltage(),
                      r.Current(), r.Power());
        line += values;
    } else {
        line += ",,,";
    }
    line += r.Alarm() ? ",true\n" : ",false\n";
    return line;
}

std::string HealthCsv::Document(const UnitHistory& history, std::int64_t fromMs,
                                std::int64_t toMs) {
    const std::size_t first = history.FirstAtOrAfter(fromMs);
    std::string text = Header();
    // About 60 bytes a line.
    text.reserve(text.size() + 64 * (history.Size() - first));
    for (std::size_t i = first; i < history.Size() && history[i].timeMs <= toMs; ++i) {
        text += Row(history[i]);
    }
    return text;
}
