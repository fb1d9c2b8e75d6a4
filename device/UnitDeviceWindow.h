// The unit's device window as its unit slot holds it. The window itself lives
// in a layer above this one; the slot owns it, destroys it last, and reaches
// its panes through it when a setup is saved, recalled and applied: each call
// walks the panes in page order.
#pragma once

class UnitDeviceWindow {
public:
    virtual ~UnitDeviceWindow() = default;

    // Each pane writes its part of a setup file (its SaveSettings), or reads
    // it back (its LoadSettings).
    virtual void SavePanes(const char* file) { (void)file; }
    virtual void LoadPanes(const char* file) { (void)file; }
    // Each pane sends its recalled settings to the unit (its SendSettings),
    // stopping at the first pane whose exchanges failed. 1 when every
    // exchange went through.
    virtual int SendPanes() { return 1; }
    // Each pane refreshes its values and states; then the window redraws.
    virtual void ShowPanes() {}

protected:
    UnitDeviceWindow() = default;
    UnitDeviceWindow(const UnitDeviceWindow&) = delete;
    UnitDeviceWindow& operator=(const UnitDeviceWindow&) = delete;
};
