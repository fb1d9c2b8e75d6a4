// A setup recall (the unit slot's "DEVICE" and the calibration page's
// "CALIBRATION" section) from an arbitrary file, a save of what was recalled
// into a copy of it and a recall of the copy. Checked: nothing reads or
// indexes outside its data (the sanitizers); band selections and the
// calibration band stay within 0..7; a file with no setup changes nothing;
// what was recalled saves and recalls back to the same values.
#include "device/PageSetupParts.h"
#include "device/UnitSlot.h"
#include "fuzz/FuzzSupport.h"

#include <memory>

namespace {

using fuzz::Check;

// A slot whose unit never talks, with the values of a unit read at open.
struct Slot {
    Slot() {
        slot.AttachWindow(&host);
        for (int b = 0; b < UnitSlot::kBands; ++b) {
            for (int c = 0; c < UnitSlot::kChannels; ++c) {
                slot.calibrationTable[b][c] = static_cast<std::uint8_t>(30 + b + c);
                slot.adjustments[c] = static_cast<std::int8_t>(c - 4);
            }
            slot.bandSelection[b] = 7 - b;
        }
    }
    bool SameSettings(const Slot& other) const {
        return slot.calibrationTable == other.slot.calibrationTable &&
               slot.bandSelection == other.slot.bandSelection &&
               slot.adjustments == other.slot.adjustments &&
               host.Panes()->calibration.band == other.host.Panes()->calibration.band &&
               host.Panes()->calibration.split == other.host.Panes()->calibration.split;
    }
    UnitSlot slot{0, nullptr, std::make_unique<CTM80M1_Comm>(nullptr)};
    FreshWindowHost host;
};

void CheckRanges(const Slot& s) {
    for (int band : s.slot.bandSelection) {
        Check(band >= 0 && band < UnitSlot::kBands);
    }
    Check(s.host.Panes()->calibration.band >= 0 &&
          s.host.Panes()->calibration.band < UnitSlot::kBands);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilenceOutput();
    const std::string file = fuzz::ScratchFolder() + "/unit.TM80";
    const std::string copy = fuzz::ScratchFolder() + "/copy.TM80";
    WriteFile(file, std::string(fuzz::Text(data, size)));
    WriteFile(copy, std::string(fuzz::Text(data, size)));

    Slot recalled;
    const Slot untouched;
    if (recalled.slot.RecallSetup(file) == 0) {
        Check(recalled.SameSettings(untouched));
        return 0;
    }
    CheckRanges(recalled);
    recalled.slot.ComputeGains();

    Check(recalled.slot.SaveSetup(copy) == 1);
    Slot again;
    Check(again.slot.RecallSetup(copy) == 1);
    CheckRanges(again);
    Check(again.SameSettings(recalled));
    return 0;
}
