#include "device/PageSetupParts.h"

#include "device/UnitSlot.h"
#include "infra/ProfileStore.h"

#include <algorithm>
#include <cstdint>
#include <string>

int SendSplitAndBands(UnitSlot& slot) {
    CTM80M1_Comm* unit = slot.Unit();
    if (unit == nullptr) {
        return 0;
    }
    UnitSettings& settings = unit->settings;
    settings.split = slot.split == 1 ? 1 : 0;
    for (std::size_t k = 0; k < settings.bandSelection.size(); ++k) {
        settings.bandSelection[k] = std::clamp(slot.bandSelection[k], 0, UnitSlot::kBands - 1);
    }
    return unit->SetSplitAndBands(settings.split, settings.bandSelection);
}

int SendPrimarySettings(UnitSlot& slot) {
    CTM80M1_Comm* unit = slot.Unit();
    if (unit == nullptr) {
        return 0;
    }
    int ok = SendSplitAndBands(slot);
    for (int channel = 0; channel < UnitSlot::kChannels; ++channel) {
        ok &=
            unit->SetOutputAdjustment(channel, slot.adjustments[static_cast<std::size_t>(channel)]);
    }
    return ok;
}

void CalibrationChoice::Load(const char* file) {
    const std::string name = file != nullptr ? file : "";
    std::int32_t storedSplit = 0;
    std::int32_t storedBand = 0;
    ReadProfileInt(name, kSection, kSplitKey, storedSplit);
    ReadProfileInt(name, kSection, kBandKey, storedBand);
    split = storedSplit;
    band = storedBand >= 0 && storedBand < UnitSlot::kBands ? storedBand : 0;
}

void CalibrationChoice::Save(const char* file) const {
    const std::string name = file != nullptr ? file : "";
    WriteProfileInt(name, kSection, kSplitKey, split);
    WriteProfileInt(name, kSection, kBandKey, band);
}

int CalibrationChoice::Send(UnitSlot& slot) const {
    CTM80M1_Comm* unit = slot.Unit();
    if (unit == nullptr) {
        return 0;
    }
    const auto& values = slot.calibrationTable[static_cast<std::size_t>(band)];
    int ok = 1;
    for (int channel = 0; channel < UnitSlot::kChannels; ++channel) {
        ok &= unit->SetCalibrationValue(band, split, channel,
                                        values[static_cast<std::size_t>(channel)]);
    }
    return ok;
}

void FreshWindowPanes::SavePanes(const char* file) {
    // The primary setup and system pages store nothing.
    calibration.Save(file);
}

void FreshWindowPanes::LoadPanes(const char* file) {
    calibration.Load(file);
}

int FreshWindowPanes::SendPanes() {
    // Page order: primary setup (the system page sends nothing), calibration.
    int ok = SendPrimarySettings(slot_);
    ok &= calibration.Send(slot_);
    return ok;
}

std::unique_ptr<UnitDeviceWindow> FreshWindowHost::CreateDeviceWindow(UnitSlot& slot) {
    auto panes = std::make_unique<FreshWindowPanes>(slot);
    panes_ = panes.get();
    return panes;
}
