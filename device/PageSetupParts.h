// The pages' parts of a setup: what the device window's pages keep in a setup
// file and send of a recalled setup, below the window layer: the pages call these, and so do the
// panes of a window-less slot (tm80ctl), so both put the same frames on the wire.
#pragma once

#include "device/UnitDeviceWindow.h"
#include "device/UnitSlotHost.h"

#include <memory>

class UnitSlot;

// The primary setup page's sends. Split and band selections (0x1004), a
// split other than 1 going out as 1:8 and every band clamped into 0..7: the
// unit model keeps what was sent when the unit took it. 1 then.
int SendSplitAndBands(UnitSlot& slot);
// Split and bands, then the adjustments of channels 0 to 9 (0x1000 each),
// stopping at the first exchange that fails. 1 when every one went through.
int SendPrimarySettings(UnitSlot& slot);

// The calibration page's own choices, which setup files keep in section
// "CALIBRATION": the band it edits and the split it calibrates with.
struct CalibrationChoice {
    static constexpr const char* kSection = "CALIBRATION";
    static constexpr const char* kSplitKey = "SPLIT_MODE";
    static constexpr const char* kBandKey = "CAL_BAND_SELECTION";

    int band = 0;  // always 0..7: it indexes the tables
    int split = 0; // 0 "1:8", 1 "2:4"; any other (from a file) writes no values

    // Both set to 0 first, then to the stored values where present; a band
    // outside 0..7 counts as band 0. A null file name reads as an empty one.
    void Load(const char* file);
    void Save(const char* file) const;
    // Whether the split is one the unit calibrates with: a setup file whose
    // split is neither 0 nor 1 sends no calibration values, by design.
    bool SendsValues() const { return split == 0 || split == 1; }
    // The slot's ten calibration values of the band (0x3000 each), the unit
    // model clamping them, stopping at the first write that fails. 1 when
    // every write went through, or when none was to go (SendsValues).
    int Send(UnitSlot& slot) const;
};

// The panes of a device window freshly opened (calibration band 0, split
// 1:8), without a window: how tm80ctl saves and recalls setups.
class FreshWindowPanes : public UnitDeviceWindow {
public:
    explicit FreshWindowPanes(UnitSlot& slot) : slot_(slot) {}

    void SavePanes(const char* file) override;
    void LoadPanes(const char* file) override;
    int SendPanes() override;

    CalibrationChoice calibration;

private:
    UnitSlot& slot_;
};

// Gives a slot (UnitSlot::AttachWindow) the panes of a freshly opened window;
// there is no main window to refresh.
class FreshWindowHost : public UnitSlotHost {
public:
    std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) override;
    void RefreshMainWindow(UnitSlot&) override {}
    // The panes made last, or nullptr.
    FreshWindowPanes* Panes() const { return panes_; }

private:
    FreshWindowPanes* panes_ = nullptr;
};
