// One status read of a unit as its history keeps it: when it was made, what
// the unit answered, and how the read went. 16 bytes, the values in the units
// the unit reports them in (whole degrees, tenths of volts and amperes).
#pragma once

#include "device/UnitStatus.h"

#include <cstdint>

struct HealthReading {
    // How the read went: the unit answered; the read failed (no reply within
    // its budget, or the connection closed); or it was left out because the
    // unit had stopped answering and is asked only now and then.
    enum class Outcome : std::uint8_t { Answered, Failed, LeftOut };

    std::int64_t timeMs = 0; // wall clock, milliseconds since 1970-01-01 UTC
    std::int16_t voltageTenths = 0;
    std::int8_t temperature = 0; // the unit's signed byte
    std::uint8_t currentTenths = 0;
    Outcome outcome = Outcome::Failed;
    bool lost = false; // the unit's connection counted as lost at the time

    // The reading of `status` at `timeMs`; the values are kept only when the
    // unit answered, so a failed read can never pass for a reading of zeros.
    static HealthReading Of(std::int64_t timeMs, const UnitStatus& status, Outcome outcome,
                            bool lost);

    bool Answered() const { return outcome == Outcome::Answered; }
    bool OverTemperature() const {
        return Answered() && temperature > UnitStatus::kMostTemperature;
    }
    // Too hot, or no reading at all.
    bool Alarm() const { return !Answered() || OverTemperature(); }

    int Temperature() const { return temperature; }
    double Voltage() const { return voltageTenths / 10.0; }
    double Current() const { return currentTenths / 10.0; }
    double Power() const { return voltageTenths * currentTenths / 100.0; }
};
