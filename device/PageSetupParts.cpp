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
    const UnitSettings before = settings;
    settings.split = slot.split == 1 ? 1 : 0;
    for (std::size_t k = 0; k < settings.bandSelection.size(); ++k) {
        settings.bandSelection[k] = std::clamp(slot.bandSelection[k], 0, UnitSlot::kBands - 1);
    }
    if (unit->SetSplitAndBands(settings.split, settings.bandSelection) == 0) {
        settings = before;
        return 0;
    }
    return 1;
}

int SendPrimarySettings(UnitSlot& slot) {
    CTM80M1_Comm* unit = slot.Unit();
    if (unit == nullptr) {
        return 0;
    }
    if (SendSplitAndBands(slot) == 0) {
        return 0;
    }
    for (int channel = 0; channel < UnitSlot::kChannels; ++channel) {
        if (unit->SetOutputAdjustment(channel,
                                      slot.adjustments[static_cast<std::size_t>(channel)]) == 0) {
            return 0;
        }
    }
    return 1;
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
    if (!SendsValues()) {
        return 1;
    }
    const auto& values = slot.calibrationTable[static_cast<std::size_t>(band)];
    for (int channel = 0; channel < UnitSlot::kChannels; ++channel) {
        if (unit->SetCalibrationValue(band, split, channel,
                                      values[static_cast<std::size_t>(channel)]) == 0) {
            return 0;
        }
    }
    return 1;
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
    return SendPrimarySettings(slot_) != 0 && calibration.Send(slot_) != 0 ? 1 : 0;
}

std::unique_ptr<UnitDeviceWindow> FreshWindowHost::CreateDeviceWindow(UnitSlot& slot) {
    auto panes = std::make_unique<FreshWindowPanes>(slot);
    panes_ = panes.get();
    return panes;
}
