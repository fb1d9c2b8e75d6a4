#include "device/HealthReading.h"

#include <cmath>

HealthReading HealthReading::Of(std::int64_t timeMs, const UnitStatus& status, Outcome outcome,
                                bool lost) {
    HealthReading r;
    r.timeMs = timeMs;
    r.outcome = outcome;
    r.lost = lost;
    if (outcome == Outcome::Answered) {
        // Whole degrees taken as the unit's signed byte, as the Info page shows them.
        r.temperature = static_cast<std::int8_t>(static_cast<int>(status.temperature));
        r.voltageTenths = static_cast<std::int16_t>(std::lround(status.voltage * 10.0));
        r.currentTenths = static_cast<std::uint8_t>(std::lround(status.current * 10.0));
    }
    return r;
}
