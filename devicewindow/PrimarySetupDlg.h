// PrimarySetupDlg: the "Home" page of a device window. The operator sets the
// unit's input split, picks the band of each output (a click on its band
// text) and trims each output in quarter-decibel steps with its slider (the
// position is minus the adjustment, so right raises the gain); the gain
// column shows the overall gain of each output's band.
//
// The page keeps nothing of its own: it shows and edits the copies in the
// unit's UnitSlot and sends every change at once through the unit model. A
// change the unit does not take is taken back: the page and the main
// window's row show what the unit holds. A band selection outside 0..7 shows
// empty band and gain texts and is sent clamped into 0..7.
#pragma once

#include "devicewindow/OutputColumns.h"
#include "platform/ui/CDialogEx.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Staticplus.h"

#include <array>

class CTM80M1_Comm;
class UnitSlot;

class PrimarySetupDlg : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 138;
    static constexpr int kOutputs = OutputColumns::kOutputs;
    // The band text of output n = 1..8.
    static constexpr int BandTextId(int n) { return 1044 + n; }

    // Keeps the unit index and the unit's command object from its slot.
    explicit PrimarySetupDlg(int unitIndex);

    // Start refreshes the page; Stop does nothing.
    void Start() override;
    void Stop() override;
    void UpdateValues() override;
    // Split and bands, then the adjustments of channels 0 to 9.
    int SendSettings() override;

    int GetUnitIndex() const { return unitIndex_; }
    OutputColumns& Columns() { return columns_; }
    Staticplus& BandText(int n) { return bandTexts_[static_cast<std::size_t>(n - 1)]; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    win::LRESULT WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) override;

private:
    UnitSlot* Slot() const;
    void MoveSlider(int n);
    void ChooseOutputBand(int n);
    void ChooseSplit(int split);
    // Copies split and bands into the unit model and sends them (0x1004);
    // when the unit does not take them the slot goes back to what it holds.
    void SendSplitAndBands();

    int unitIndex_;
    CTM80M1_Comm* unit_;
    OutputColumns columns_;
    Staticplus bandHeading_;
    std::array<Staticplus, kOutputs> bandTexts_;
};
