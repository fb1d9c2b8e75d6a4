// The unit's routing and output adjustments.
#pragma once

#include <array>
#include <cstdint>

struct UnitSettings {
    static constexpr int kOutputs = 8;
    static constexpr int kChannels = 10; // outputs 0-7 and two further adjustment channels

    int split = 0; // 0 is "1:8", 1 is "2:4"
    // Band position 0-7 routed to each output.
    std::array<int, kOutputs> bandSelection{};
    // Steps of 0.25 dB: channels 0-7 in -12..12, channels 8-9 in -8..8.
    std::array<std::int8_t, kChannels> adjustments{};
};
