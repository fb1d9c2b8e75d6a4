// The unit's calibration and reference tables, indexed [band][channel], in
// steps of 0.25 dB.
#pragma once

#include <array>
#include <cstdint>

struct UnitCalibration {
    static constexpr int kBands = 8;
    static constexpr int kChannels = 10;
    using Table = std::array<std::array<std::uint8_t, kChannels>, kBands>;

    // Channels 0-7 in 12..115, channels 8-9 in 8..119.
    Table calibration{};
    Table reference{};
    int calibrationSplit = 0; // the split last asked for with SelectCalibrationBand
    int calibrationBand = 0;  // the band the unit reported after SelectCalibrationBand
};
