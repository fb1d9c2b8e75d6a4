// The unit's health readings (command 0x2002). Power is not kept: displays
// compute it as voltage times current.
#pragma once

struct UnitStatus {
    // Hotter than this (whole degrees C) is an over-temperature alarm: the
    // Info page's light turns yellow, tm80ctl watch marks an alarm, the
    // metrics report over-temperature.
    static constexpr int kMostTemperature = 80;

    double temperature = 0.0; // degrees Celsius, whole numbers
    double voltage = 0.0;     // volts, tenths
    double current = 0.0;     // amperes, tenths

    bool OverTemperature() const { return temperature > kMostTemperature; }
};
