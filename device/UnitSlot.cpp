#include "device/UnitSlot.h"

#include "device/PageSetupParts.h"
#include "device/UnitFlags.h"
#include "infra/ProfileStore.h"
#include "infra/WallClock.h"
#include "platform/ProfileWriteBatch.h"

#include <cstdio>
#include <utility>

namespace {

constexpr std::int64_t kHzPerMHz = 1000000;

std::string CalibrationKey(int band, int channel) {
    return std::to_string(band) + "_" + std::to_string(channel) + "_ATT_SETTING";
}
std::string BandSelectionKey(int output) {
    return std::to_string(output) + "_BAND_SELECTION";
}
std::string AdjustmentKey(int channel) {
    return std::to_string(channel) + "_ATT_ADJ";
}

// Band names by edges in whole MHz, checked in this order; the last match wins,
// so a narrower later rule overrides a wider earlier one.
struct NameRule {
    std::int64_t minLower;
    std::int64_t aboveUpper; // the upper edge must exceed this (or -1 for no limit)
    std::int64_t maxUpper;
    const char* name;
};

constexpr NameRule kNameRules[] = {
    {200, -1, 325, "P"},       {290, -1, 1160, "CIF"}, {1400, -1, 1585, "LL"},
    {1700, -1, 1875, "UL"},    {1890, -1, 2190, "M"},  {2180, -1, 2400, "S"},
    {2180, 2400, 2490, "E"},   {4390, -1, 4950, "C1"}, {5085, -1, 5155, "C2"},
    {5085, 5155, 5255, "C2E"},
};

} // namespace

UnitSlot::UnitSlot(int index, std::unique_ptr<TCPCom> connection,
                   std::unique_ptr<CTM80M1_Comm> unit, std::unique_ptr<UnitWorker> worker)
    : worker_(std::move(worker)), connection_(std::move(connection)), unit_(std::move(unit)),
      index_(index) {
    if (unit_ != nullptr) {
        unit_->AttachWorker(worker_.get());
    }
}

UnitSlot::~UnitSlot() {
    StopWorker();
    connection_.reset();
    unit_.reset();
    deviceWindow_.reset();
    worker_.reset();
}

void UnitSlot::BreakWorker() {
    if (worker_ != nullptr) {
        worker_->Break();
    }
}

void UnitSlot::StopWorker() {
    if (worker_ == nullptr) {
        return;
    }
    worker_->Stop();
    if (connection_ != nullptr) {
        connection_->SetBreakDescriptor(-1); // the worker's descriptor goes with it
    }
}

int UnitSlot::Open(UnitSlotHost* host) {
    // The identity is read before the window is made, which would read it
    // first thing: the sequence stops there too when the unit fails it.
    if (unit_->FlashLeds() == 0 || SendOpenControl() == 0 || ReadUnit() == 0 ||
        (unit_->identity.identityRead == 0 && unit_->ReadIdentity() == 0)) {
        return 0;
    }
    AttachWindow(host);
    return 1;
}

int UnitSlot::SendOpenControl() {
    auto request = unitprotocol::ControlRequest(unitprotocol::kControlOpen,
                                                unitprotocol::kControlOpenArgument);
    unitprotocol::ReplyFrame<unitprotocol::kControl> reply{};
    return unit_->ControlExchange(request.data(), reply.data());
}

void UnitSlot::AttachWindow(UnitSlotHost* host) {
    host_ = host;
    if (host != nullptr) {
        deviceWindow_ = host->CreateDeviceWindow(*this);
        host->RefreshMainWindow(*this);
    }
}

void UnitSlot::RefreshMainWindow() {
    if (host_ != nullptr) {
        host_->RefreshMainWindow(*this);
    }
}

void UnitSlot::RefreshMainWindowStates() {
    if (host_ != nullptr) {
        host_->RefreshMainWindowStates(*this);
    }
}

int UnitSlot::ReadUnit() {
    const int ok = unit_->ReadUserNote() != 0 && unit_->ReadOutputAdjustments() != 0 &&
                           unit_->ReadUnitData() != 0 && unit_->ReadSplitAndBands() != 0 &&
                           unit_->ReadCalibrationTable() != 0 && unit_->ReadReferenceTable() != 0
                       ? 1
                       : 0;

    split = unit_->settings.split;
    CopyTables();
    BuildBandTexts();
    CopyBandSelection();
    CopyAdjustments();
    ComputeGains();

    userNote = unit_->identity.userNote.data();
    addressText = connection_ != nullptr ? connection_->GetAddress() : "";
    return ok;
}

void UnitSlot::RecordStatus(int read) {
    using Outcome = HealthReading::Outcome;
    const Outcome outcome = read > 0    ? Outcome::Answered
                            : read == 0 ? Outcome::Failed
                                        : Outcome::LeftOut;
    const auto& lost = ConnectionLostFlag();
    const bool isLost = index_ >= 0 && static_cast<std::size_t>(index_) < lost.size() &&
                        lost[static_cast<std::size_t>(index_)] != 0;
    const UnitStatus status = unit_ != nullptr ? unit_->status : UnitStatus{};
    history.Record(HealthReading::Of(WallClockMs(), status, outcome, isLost));
}

void UnitSlot::CopyTables() {
    referenceTable = unit_->calibration.reference;
    calibrationTable = unit_->calibration.calibration;
}

void UnitSlot::CopyBandSelection() {
    bandSelection = unit_->settings.bandSelection;
}

void UnitSlot::CopyAdjustments() {
    adjustments = unit_->settings.adjustments;
}

void UnitSlot::BuildBandTexts() {
    bandCount = 0;
    unit_->BuildBandList();
    for (int e = 0; e < kBands; ++e) {
        const UnitBandTable::Entry& source = unit_->bandTable.bandList[e];
        BandEntry& entry = bandEntries[e];
        entry.lower = source.lower;
        entry.upper = source.upper;
        entry.position = source.position;
        if (entry.lower == 0 || entry.upper == 0) {
            continue; // an absent entry keeps its previous name and text
        }
        entry.name = BandName(e);
        ++bandCount;
        bandTexts[e] = BandText(entry);
    }
}

std::string UnitSlot::BandText(const BandEntry& entry) {
    char text[96];
    std::snprintf(text, sizeof text, "%s: %d - %d", entry.name.c_str(),
                  static_cast<int>(entry.lower / kHzPerMHz),
                  static_cast<int>(entry.upper / kHzPerMHz));
    return text;
}

std::string UnitSlot::BandName(int position) const {
    if (position < 0 || position >= kBands) {
        return {};
    }
    std::int64_t lo = bandEntries[position].lower / kHzPerMHz;
    std::int64_t hi = bandEntries[position].upper / kHzPerMHz;
    std::string name;
    for (const NameRule& rule : kNameRules) {
        if (lo >= rule.minLower && hi > rule.aboveUpper && hi <= rule.maxUpper) {
            name = rule.name;
        }
    }
    return name;
}

double UnitSlot::OverallGain(std::uint8_t reference, std::uint8_t calibration,
                             std::int8_t adjustment) {
    return (static_cast<int>(reference) - static_cast<int>(calibration) -
            static_cast<int>(adjustment)) *
               0.25 +
           3.0;
}

void UnitSlot::ComputeGains() {
    for (int b = 0; b < kBands; ++b) {
        for (int c = 0; c < kChannels; ++c) {
            gainTable[b][c] =
                OverallGain(referenceTable[b][c], calibrationTable[b][c], adjustments[c]);
        }
    }
}

int UnitSlot::SaveSetup(const std::string& file) {
    win::ProfileWriteBatch batch(file);
    WriteDeviceSection(file.c_str());
    if (deviceWindow_ != nullptr) {
        deviceWindow_->SavePanes(file.c_str());
    }
    return batch.Commit() != 0 ? 1 : 0;
}

bool UnitSlot::HoldsSetup(const std::string& file) {
    return ProfileSectionExists(file, kDeviceSection) ||
           ProfileSectionExists(file, CalibrationChoice::kSection);
}

int UnitSlot::RecallSetup(const std::string& file) {
    if (!HoldsSetup(file)) {
        return 0;
    }
    ReadDeviceSection(file.c_str());
    if (deviceWindow_ != nullptr) {
        deviceWindow_->LoadPanes(file.c_str());
    }
    return 1;
}

std::string UnitSlot::NoSetupText(const std::string& file) {
    // Appended piece by piece: g++ 12's Release build warns (-Wrestrict,
    // falsely) of overlapping copies in `file + " holds no TM80 setup."`.
    std::string text = file;
    text += " holds no TM80 setup.";
    return text;
}

int UnitSlot::ApplyRecalledSetup() {
    int ok = unit_ != nullptr ? SendOpenControl() : 0;
    if (ok != 0 && deviceWindow_ != nullptr) {
        ok = deviceWindow_->SendPanes();
    }
    if (ok == 0 && unit_ != nullptr) {
        TakeUnitSettings();
    }
    ComputeGains();
    if (deviceWindow_ != nullptr) {
        deviceWindow_->ShowPanes();
    }
    RefreshMainWindow();
    return ok;
}

void UnitSlot::TakeUnitSettings() {
    split = unit_->settings.split;
    CopyBandSelection();
    CopyAdjustments();
    calibrationTable = unit_->calibration.calibration;
}

void UnitSlot::WriteDeviceSection(const char* file) {
    const std::string name = file != nullptr ? file : "";
    for (int b = 0; b < kBands; ++b) {
        const auto band = static_cast<std::size_t>(b);
        for (int c = 0; c < kChannels; ++c) {
            WriteProfileInt(name, kDeviceSection, CalibrationKey(b, c),
                            calibrationTable[band][static_cast<std::size_t>(c)]);
        }
        WriteProfileInt(name, kDeviceSection, BandSelectionKey(b), bandSelection[band]);
    }
    for (int c = 0; c < kChannels; ++c) {
        WriteProfileInt(name, kDeviceSection, AdjustmentKey(c),
                        adjustments[static_cast<std::size_t>(c)]);
    }
}

void UnitSlot::ReadDeviceSection(const char* file) {
    const std::string name = file != nullptr ? file : "";
    std::int32_t value = 0;
    for (int b = 0; b < kBands; ++b) {
        const auto band = static_cast<std::size_t>(b);
        for (int c = 0; c < kChannels; ++c) {
            if (ReadProfileInt(name, kDeviceSection, CalibrationKey(b, c), value)) {
                calibrationTable[band][static_cast<std::size_t>(c)] =
                    CTM80M1_Comm::ClampCalibration(c, value);
            }
        }
        // A band the unit does not offer would route the output to nothing.
        if (ReadProfileInt(name, kDeviceSection, BandSelectionKey(b), value) && value >= 0 &&
            value < kBands && value < bandCount) {
            bandSelection[band] = value;
        }
    }
    for (int c = 0; c < kChannels; ++c) {
        if (ReadProfileInt(name, kDeviceSection, AdjustmentKey(c), value)) {
            adjustments[static_cast<std::size_t>(c)] = CTM80M1_Comm::ClampAdjustment(c, value);
        }
    }
}
