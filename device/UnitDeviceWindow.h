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
    // then refreshes its values and states; then the window redraws. 1 when
    // every exchange went through, as far as the panes tell.
    virtual int SendPanes() { return 1; }

protected:
    UnitDeviceWindow() = default;
    UnitDeviceWindow(const UnitDeviceWindow&) = delete;
    UnitDeviceWindow& operator=(const UnitDeviceWindow&) = delete;
};
