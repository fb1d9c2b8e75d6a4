// Calibration: the third page of a device window, behind the "Calibration"
// tab that the system page switches on. It edits the unit's calibration
// table one band at a time: the operator picks the band (a click on its band
// text) and the split used for calibration, then trims each output's
// calibration value with its slider, where position p stands for the value
// 115 - p (right lowers the value and raises the gain). Every slider change
// is written to the unit at once (0x3000); the split buttons ask the unit to
// calibrate with that split (0x3001); "Reset To Factory Defaults" restores the
// factory values of the band (0x3002) after a question.
//
// The band and split are the page's own and go into setup files (section
// "CALIBRATION"); the values live in the unit's UnitSlot. A split other
// than 0 or 1 (from a setup file) selects neither button, and the unit model
// then writes no values.
#pragma once

#include "device/PageSetupParts.h"
#include "devicewindow/OutputColumns.h"
#include "platform/ui/CDialogEx.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Staticplus.h"

class CTM80M1_Comm;
class UnitSlot;

class Calibration : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kTemplateId = 140;
    static constexpr int kOutputs = OutputColumns::kOutputs;
    static constexpr int kIdBandText = 1113;
    static constexpr int kIdReset = 1112;
    // Slider position p stands for the calibration value 115 - p.
    static constexpr int kTopValue = 115;
    static constexpr int kSliderMax = 103;

    static constexpr const char* kSection = CalibrationChoice::kSection;
    static constexpr const char* kResetCaption = "Factory Reset";
    // %s: the band as its text reads ("LL: 1435 - 1535").
    static constexpr const char* kResetQuestion = "Calibration values of band %s are about to be "
                                                  "reset to the factory values. Would you like to "
                                                  "continue?";
    static constexpr const char* kResetDone = "Calibration values have been reset.";
    static constexpr const char* kResetFailed = "Calibration values could not be reset.";

    // Keeps the unit index and the unit's command object; band and split 0.
    explicit Calibration(int unitIndex);

    // Start refreshes the page; Stop does nothing.
    void Start() override;
    void Stop() override;
    void UpdateValues() override;
    // "SPLIT_MODE" and "CAL_BAND_SELECTION" of section "CALIBRATION"; a
    // missing key (or no file: nullptr reads as an empty name) gives 0, and
    // so does a band outside 0..7.
    void LoadSettings(const char* path) override;
    void SaveSettings(const char* path) override;
    // The ten calibration values of the band, channels 0 to 9, stopping at
    // the first write that fails.
    int SendSettings() override;

    int GetUnitIndex() const { return unitIndex_; }
    int GetCalBand() const { return choice_.band; }
    int GetCalSplitMode() const { return choice_.split; }
    OutputColumns& Columns() { return columns_; }
    Staticplus& BandText() { return bandText_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    win::LRESULT WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) override;

private:
    UnitSlot* Slot() const;
    void MoveSlider(int n);
    void ChooseCalibrationBand();
    void ChooseSplit(int split);
    void FactoryReset();

    int unitIndex_;
    CTM80M1_Comm* unit_;
    CalibrationChoice choice_; // CalBand and CalSplitMode
    OutputColumns columns_;
    Staticplus bandHeading_;
    Staticplus bandText_;
};
