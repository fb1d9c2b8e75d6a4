// What a unit slot's open sequence asks of the application's windows: its
// last two steps, creating the unit's device window and refreshing the main
// window. The main window implements this and passes itself to Open.
#pragma once

#include "device/UnitDeviceWindow.h"

#include <memory>

class UnitSlot;

class UnitSlotHost {
public:
    virtual ~UnitSlotHost() = default;

    // Creates the device window for `slot` (its index is slot.Index()):
    // modeless, parented to the desktop, not shown. The slot owns the result;
    // nullptr leaves the slot without a window.
    virtual std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) = 0;

    // Called once the slot is complete, so the main window shows the unit.
    virtual void RefreshMainWindow(UnitSlot& slot) = 0;

protected:
    UnitSlotHost() = default;
    UnitSlotHost(const UnitSlotHost&) = default;
    UnitSlotHost& operator=(const UnitSlotHost&) = default;
};
