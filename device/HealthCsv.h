// HealthCsv: health readings as CSV, the form both the history window's
// export and `tm80ctl ADDRESS watch --csv` write, so a technician's log and
// an export read alike. One header line with the names of `watch --json`'s
// keys, then one line per reading:
//
//   time,ok,temperature_c,voltage_v,current_a,power_w,alarm
//   2026-05-17T14:03:22+02:00,true,41,12.0,1.5,18.0,false
//   2026-05-17T14:03:23+02:00,false,,,,,true
//
// Time is local ISO 8601 with its offset; a reading the unit did not answer
// has empty cells, never zeros. Lines end in "\n".
#pragma once

#include "device/HealthReading.h"

#include <array>
#include <cstdint>
#include <string>

class UnitHistory;

class HealthCsv {
public:
    enum Column { Time, Ok, TemperatureC, VoltageV, CurrentA, PowerW, Alarm, kColumnCount };
    // The column names, which are also the keys of watch's JSON lines.
    static constexpr std::array<const char*, kColumnCount> kColumns = {
        "time", "ok", "temperature_c", "voltage_v", "current_a", "power_w", "alarm"};

    static std::string Header();
    static std::string Row(const HealthReading& reading);
    // The header and every reading of `history` made from `fromMs` to
    // `toMs`, oldest first.
    static std::string Document(const UnitHistory& history, std::int64_t fromMs = INT64_MIN,
                                std::int64_t toMs = INT64_MAX);
};
