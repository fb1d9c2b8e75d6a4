// The unit's device window as its unit slot holds it. The window itself lives
// in a layer above this one; the slot only owns it and destroys it last.
#pragma once

class UnitDeviceWindow {
public:
    virtual ~UnitDeviceWindow() = default;

protected:
    UnitDeviceWindow() = default;
    UnitDeviceWindow(const UnitDeviceWindow&) = delete;
    UnitDeviceWindow& operator=(const UnitDeviceWindow&) = delete;
};
