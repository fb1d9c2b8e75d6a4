// What the metrics show of one unit after a successful read: who it is (the
// labels of tm80_info) and its readings. Filled from the unit model after its
// reads, by the exporter's own reads and by the application's pages alike.
#pragma once

#include "device/UnitSettings.h"
#include "device/UnitStatus.h"

#include <array>
#include <string>

class CTM80M1_Comm;
class UnitSlot;

namespace metrics {

struct UnitReading {
    static constexpr int kOutputs = UnitSettings::kOutputs;

    // Texts as the unit sent them (8-bit).
    std::string serial;   // "00AB-1001"
    std::string note;     // the user note, the window's device ID
    std::string product;  // the product identifier
    std::string firmware; // "01020304"
    std::string model;    // "80M1"

    // Whether the unit reports its health; without it the health readings
    // are left out.
    bool monitoring = false;
    UnitStatus status;

    int split = 0;                               // 0 is 1:8, 1 is 2:4
    std::array<int, kOutputs> bands{};           // band position of each output
    std::array<int, kOutputs> adjustmentSteps{}; // 0.25 dB steps of each output

    double PowerW() const;
};

// The unit model's identity, monitoring flag, status and settings as they
// stand after its last reads.
UnitReading ReadingOf(const CTM80M1_Comm& unit);
// The same for a unit the window shows, with its split, bands and
// adjustments as the window shows them (they follow the operator's changes).
UnitReading ReadingOf(const UnitSlot& slot);

} // namespace metrics
