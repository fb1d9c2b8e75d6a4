#include "metrics/UnitReading.h"

#include "device/CTM80M1_Comm.h"
#include "device/UnitSlot.h"

#include <cmath>

namespace metrics {

double UnitReading::PowerW() const {
    // Volts and amperes come in tenths: their product in hundredths, without
    // the binary fraction's tail (12.3 x 1.5 is 18.45, not 18.450000000000003).
    return std::round(status.voltage * status.current * 100.0) / 100.0;
}

UnitReading ReadingOf(const CTM80M1_Comm& unit) {
    UnitReading r;
    const UnitIdentity& id = unit.identity;
    r.serial = unitprotocol::SerialNumberText(id.serialHigh, id.serialLow);
    r.note = id.userNote.data();
    r.product = id.productIdentifier.data();
    r.firmware = unitprotocol::FirmwareText(id.firmware);
    r.model = id.modelCode.data();
    r.monitoring = unit.bandTable.monitoring != 0;
    r.status = unit.status;
    r.split = unit.settings.split;
    for (int k = 0; k < UnitReading::kOutputs; ++k) {
        r.bands[k] = unit.settings.bandSelection[k];
        r.adjustmentSteps[k] = unit.settings.adjustments[k];
    }
    return r;
}

UnitReading ReadingOf(const UnitSlot& slot) {
    UnitReading r = ReadingOf(*slot.Unit());
    r.split = slot.split;
    for (int k = 0; k < UnitReading::kOutputs; ++k) {
        r.bands[k] = slot.bandSelection[k];
        r.adjustmentSteps[k] = slot.adjustments[k];
    }
    return r;
}

} // namespace metrics
