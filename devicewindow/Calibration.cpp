#include "devicewindow/Calibration.h"

#include "device/SlotTable.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"

#include <cstdint>
#include <cstdio>
#include <string>

using namespace win;

namespace {

// Template 140: a child pane, hidden until its tab shows it.
DialogTemplate CalibrationTemplate() {
    DialogTemplate t;
    t.cx = 352;
    t.cy = 220;
    t.style = WS_CHILD;
    t.items = OutputColumns::TemplateItems({.adjustHeadingX = 130,
                                            .gainHeadingX = 196,
                                            .decreaseX = 119,
                                            .increaseX = 177,
                                            .sliderX = 130,
                                            .gainX = 207});
    t.items.push_back(LTEXT("Band (MHz)", OutputColumns::kIdBandHeading, 164, 8, 52, 8));
    t.items.push_back(LTEXT("Static", Calibration::kIdBandText, 222, 8, 72, 8, SS_NOTIFY));
    t.items.push_back(
        PUSHBUTTON("Reset To Factory Defaults", Calibration::kIdReset, 18, 157, 91, 11));
    return t;
}

} // namespace

Calibration::Calibration(int unitIndex)
    : CDialogEx(CalibrationTemplate()), unitIndex_(unitIndex), unit_(nullptr) {
    if (const UnitSlot* slot = Slot()) {
        unit_ = slot->Unit();
    }
    Setup(this, kSection);
}

UnitSlot* Calibration::Slot() const {
    return TheSlotTable().Slot(unitIndex_);
}

void Calibration::DoDataExchange(CDataExchange* dx) {
    columns_.Bind(dx);
    DDX_Control(dx, OutputColumns::kIdBandHeading, bandHeading_);
    DDX_Control(dx, kIdBandText, bandText_);
}

bool Calibration::OnInitDialog() {
    CDialogEx::OnInitDialog();
    const std::vector<ControlEntry> own = {
        {"IDL_BAND_SELECTIONS", &bandHeading_, ControlType::LeftLabel, 0, kMainStyle},
        {"IDC_BAND_SELECTION", &bandText_, ControlType::ValueBlock, 0, kMainStyle},
    };
    columns_.InitialisePage(*this, own, 0, kSliderMax);
    return true;
}

void Calibration::Start() {
    UpdateStates();
    UpdateValues();
}

void Calibration::Stop() {}

void Calibration::UpdateValues() {
    const UnitSlot* slot = Slot();
    if (slot == nullptr || !IsWindow()) {
        return;
    }
    const auto band = static_cast<std::size_t>(choice_.band);
    for (int n = 1; n <= kOutputs; ++n) {
        const auto channel = static_cast<std::size_t>(n - 1);
        columns_.ShowGain(n, slot->gainTable[band][channel]);
        // A value below 12 (a recalled setup) lies past the right end: the
        // slider stops there.
        columns_.Slider(n).SetPos(kTopValue - slot->calibrationTable[band][channel]);
    }
    bandText_.SetWindowText(BandTextOf(*slot, choice_.band));
    columns_.ShowSplit(choice_.split);
}

void Calibration::LoadSettings(const char* path) {
    choice_.Load(path);
}

void Calibration::SaveSettings(const char* path) {
    choice_.Save(path);
}

int Calibration::SendSettings() {
    UnitSlot* slot = Slot();
    return slot != nullptr ? choice_.Send(*slot) : 0;
}

void Calibration::MoveSlider(int n) {
    UnitSlot* slot = Slot();
    if (slot == nullptr || unit_ == nullptr || n == 0) {
        return;
    }
    const auto value = static_cast<std::uint8_t>(kTopValue - columns_.Slider(n).GetPos());
    const auto band = static_cast<std::size_t>(choice_.band);
    const auto channel = static_cast<std::size_t>(n - 1);
    slot->calibrationTable[band][channel] = value;
    if (unit_->SetCalibrationValue(choice_.band, choice_.split, n - 1, value) == 0) {
        // The slider goes back to what the unit holds.
        slot->calibrationTable[band][channel] = unit_->calibration.calibration[band][channel];
    }
    slot->ComputeGains();
    UpdateValues();
}

void Calibration::ChooseCalibrationBand() {
    const UnitSlot* slot = Slot();
    int chosen = 0;
    // Cancel leaves the band as it was.
    if (slot == nullptr || !ChooseBand(*this, *slot, choice_.band, chosen)) {
        return;
    }
    choice_.band = chosen;
    UpdateValues();
}

void Calibration::ChooseSplit(int split) {
    if (unit_ == nullptr) {
        return;
    }
    choice_.split = split;
    unit_->calibration.calibrationSplit = split;
    // The band the unit reported last, not the page's.
    unit_->SelectCalibrationBand(split, unit_->calibration.calibrationBand);
    UpdateValues();
    UpdateStates();
}

void Calibration::FactoryReset() {
    UnitSlot* slot = Slot();
    if (slot == nullptr || unit_ == nullptr) {
        return;
    }
    char question[256];
    std::snprintf(question, sizeof question, kResetQuestion,
                  BandTextOf(*slot, choice_.band).c_str());
    if (MessageBox(question, kResetCaption, MB_OKCANCEL) == IDCANCEL) {
        return;
    }
    const int reset = unit_->FactoryReset(choice_.band);
    // Only the band was reset, but the tables are read whole, each only when
    // the exchange before it went through; the page takes only a table that
    // was read.
    const bool calibrationRead = reset != 0 && unit_->ReadCalibrationTable() != 0;
    const bool referenceRead = calibrationRead && unit_->ReadReferenceTable() != 0;
    if (calibrationRead) {
        slot->calibrationTable = unit_->calibration.calibration;
    }
    if (referenceRead) {
        slot->referenceTable = unit_->calibration.reference;
    }
    slot->ComputeGains();
    UpdateValues();
    MessageBox(reset != 0 ? kResetDone : kResetFailed, kResetCaption, MB_OKCANCEL);
}

bool Calibration::OnCommand(int id, int code) {
    if (const int split = OutputColumns::SplitOfCommand(id, code); split >= 0) {
        ChooseSplit(split);
        return true;
    }
    if (id == kIdBandText && code == STN_CLICKED) {
        ChooseCalibrationBand();
        return true;
    }
    if (id == kIdReset && code == BN_CLICKED) {
        FactoryReset();
        return true;
    }
    return CDialogEx::OnCommand(id, code);
}

LRESULT Calibration::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SliderValueSet) {
        MoveSlider(OutputColumns::OutputOfSlider(static_cast<int>(wParam)));
        return 0;
    }
    return CDialogEx::WindowProc(message, wParam, lParam);
}
