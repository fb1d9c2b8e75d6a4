#include "devicewindow/PrimarySetupDlg.h"

#include "device/PageSetupParts.h"
#include "device/SlotTable.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"

#include <cstdint>

using namespace win;

namespace {

constexpr int kMinAdjustment = -12;
constexpr int kMaxAdjustment = 12;
constexpr int kBandHeadingX = 121;

constexpr const char* kBandKeys[PrimarySetupDlg::kOutputs] = {
    "IDC_BAND_SELECTION_1", "IDC_BAND_SELECTION_2", "IDC_BAND_SELECTION_3", "IDC_BAND_SELECTION_4",
    "IDC_BAND_SELECTION_5", "IDC_BAND_SELECTION_6", "IDC_BAND_SELECTION_7", "IDC_BAND_SELECTION_8",
};

// Template 138: a child pane, hidden until its tab shows it.
DialogTemplate PrimarySetupTemplate() {
    DialogTemplate t;
    t.cx = 351;
    t.cy = 220;
    t.style = WS_CHILD;
    t.items = OutputColumns::TemplateItems({.adjustHeadingX = 209,
                                            .gainHeadingX = 277,
                                            .decreaseX = 198,
                                            .increaseX = 256,
                                            .sliderX = 209,
                                            .gainX = 288});
    t.items.push_back(CTEXT("Band (MHz)", OutputColumns::kIdBandHeading, kBandHeadingX, 28, 72, 8));
    for (int n = 1; n <= PrimarySetupDlg::kOutputs; ++n) {
        t.items.push_back(LTEXT("Static", PrimarySetupDlg::BandTextId(n), kBandHeadingX,
                                OutputColumns::RowY(n), 72, 8, SS_NOTIFY));
    }
    return t;
}

} // namespace

PrimarySetupDlg::PrimarySetupDlg(int unitIndex)
    : CDialogEx(PrimarySetupTemplate()), unitIndex_(unitIndex), unit_(nullptr) {
    if (const UnitSlot* slot = Slot()) {
        unit_ = slot->Unit();
    }
    Setup(this, "PRIMARY_SETUP");
}

UnitSlot* PrimarySetupDlg::Slot() const {
    return TheSlotTable().Slot(unitIndex_);
}

void PrimarySetupDlg::DoDataExchange(CDataExchange* dx) {
    columns_.Bind(dx);
    DDX_Control(dx, OutputColumns::kIdBandHeading, bandHeading_);
    for (int n = 1; n <= kOutputs; ++n) {
        DDX_Control(dx, BandTextId(n), BandText(n));
    }
}

bool PrimarySetupDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    std::vector<ControlEntry> own = {
        {"IDL_BAND_SELECTIONS", &bandHeading_, ControlType::CentredLabel, 0, kMainStyle}};
    for (int n = 1; n <= kOutputs; ++n) {
        own.push_back({kBandKeys[n - 1], &BandText(n), ControlType::ValueBlock, 0, kMainStyle});
    }
    columns_.InitialisePage(*this, own, kMinAdjustment, kMaxAdjustment);
    return true;
}

void PrimarySetupDlg::Start() {
    UpdateStates();
    UpdateValues();
}

void PrimarySetupDlg::Stop() {}

void PrimarySetupDlg::UpdateValues() {
    const UnitSlot* slot = Slot();
    if (slot == nullptr || !IsWindow()) {
        return;
    }
    for (int n = 1; n <= kOutputs; ++n) {
        const auto output = static_cast<std::size_t>(n - 1);
        const int band = slot->bandSelection[output];
        const bool known = band >= 0 && band < UnitSlot::kBands;
        BandText(n).SetWindowText(BandTextOf(*slot, band));
        columns_.ShowGain(n, known ? slot->gainTable[static_cast<std::size_t>(band)][output] : 0.0,
                          known);
        columns_.Slider(n).SetPos(-slot->adjustments[output]);
    }
    columns_.ShowSplit(slot->split);
}

void PrimarySetupDlg::SendSplitAndBands() {
    UnitSlot* slot = Slot();
    if (slot == nullptr || unit_ == nullptr || ::SendSplitAndBands(*slot) != 0) {
        return;
    }
    // The unit did not take them: the page and the main window's row show
    // the split and bands it holds, as the model keeps them.
    slot->split = unit_->settings.split;
    slot->CopyBandSelection();
}

int PrimarySetupDlg::SendSettings() {
    UnitSlot* slot = Slot();
    return slot != nullptr ? SendPrimarySettings(*slot) : 0;
}

void PrimarySetupDlg::MoveSlider(int n) {
    UnitSlot* slot = Slot();
    if (slot == nullptr || unit_ == nullptr || n == 0) {
        return;
    }
    const int adjustment = -columns_.Slider(n).GetPos();
    auto& held = slot->adjustments[static_cast<std::size_t>(n - 1)];
    held = static_cast<std::int8_t>(adjustment);
    if (unit_->SetOutputAdjustment(n - 1, held) == 0) {
        // The slider goes back to what the unit holds.
        held = unit_->settings.adjustments[static_cast<std::size_t>(n - 1)];
    }
    slot->ComputeGains();
    UpdateValues();
}

void PrimarySetupDlg::ChooseOutputBand(int n) {
    UnitSlot* slot = Slot();
    if (slot == nullptr) {
        return;
    }
    auto& selection = slot->bandSelection[static_cast<std::size_t>(n - 1)];
    int chosen = 0;
    // Cancel leaves the output as it was and sends nothing.
    if (!ChooseBand(*this, *slot, selection, chosen, columns_.Caption(n).GetWindowText())) {
        return;
    }
    selection = chosen;
    SendSplitAndBands();
    UpdateValues();
    slot->RefreshMainWindow();
}

void PrimarySetupDlg::ChooseSplit(int split) {
    UnitSlot* slot = Slot();
    if (slot == nullptr) {
        return;
    }
    slot->split = split;
    SendSplitAndBands();
    UpdateValues();
    UpdateStates();
    slot->RefreshMainWindow();
    slot->RefreshMainWindowStates();
}

bool PrimarySetupDlg::OnCommand(int id, int code) {
    if (const int split = OutputColumns::SplitOfCommand(id, code); split >= 0) {
        ChooseSplit(split);
        return true;
    }
    for (int n = 1; n <= kOutputs; ++n) {
        if (id == BandTextId(n) && code == STN_CLICKED) {
            ChooseOutputBand(n);
            return true;
        }
    }
    return CDialogEx::OnCommand(id, code);
}

LRESULT PrimarySetupDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SliderValueSet) {
        MoveSlider(OutputColumns::OutputOfSlider(static_cast<int>(wParam)));
        return 0;
    }
    return CDialogEx::WindowProc(message, wParam, lParam);
}
