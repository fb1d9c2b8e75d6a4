// The unit's bands: the edges of its eight band slots (block 0) and the list
// of the bands that are present, packed from entry 0.
#pragma once

#include <array>
#include <cstdint>

struct UnitBandTable {
    static constexpr int kBands = 8;
    static constexpr std::uint32_t kNoPosition = 8; // position of an empty list entry

    struct Entry {
        std::int64_t lower = 0; // Hz
        std::int64_t upper = 0; // Hz
        std::uint32_t position = kNoPosition;
    };

    std::array<std::int64_t, kBands> lower{}; // Hz, 0 when the band is absent
    std::array<std::int64_t, kBands> upper{}; // Hz, 0 when the band is absent
    // Band selections and calibration band numbers are positions in this list.
    std::array<Entry, kBands> bandList{};
    // 1 when the unit reports source voltage, current and temperature.
    int monitoring = 0;
};
