// What the unit says about itself: the identity reply (command 0x2001), the
// product identifier of block 2 and the user note.
#pragma once

#include "device/UnitProtocol.h"

#include <array>
#include <cstdint>

struct UnitIdentity {
    static constexpr std::size_t kModelCodeLength = unitprotocol::kModelCodeLength;
    static constexpr std::size_t kProductLength = 64;
    static constexpr std::size_t kNoteLength = unitprotocol::kNoteLength;

    int identityRead = 0; // 1 once the identity reply has been taken
    std::array<char, kModelCodeLength + 1> modelCode{};
    std::uint16_t serialHigh = 0;
    std::uint16_t serialLow = 0;
    std::uint32_t firmware = 0;
    std::array<char, kProductLength + 1> productIdentifier{};
    // Shown to the operator as the unit's device ID.
    std::array<char, kNoteLength + 1> userNote{};
};
