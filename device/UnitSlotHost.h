// The way from a unit slot and its device window back to the main window:
// the open sequence's last two steps (creating the unit's device window and
// refreshing the main window), and the refreshes a page asks for once it has
// changed what the main window shows of the unit. The main window implements
// this and passes itself to Open; the slot keeps it.
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

    // Called once the slot is complete, so the main window shows the unit,
    // and whenever the unit's note, bands or split changed.
    virtual void RefreshMainWindow(UnitSlot& slot) = 0;
    // The unit's split changed: the main window shows or hides the controls
    // that follow it.
    virtual void RefreshMainWindowStates(UnitSlot& slot) { (void)slot; }

protected:
    UnitSlotHost() = default;
    UnitSlotHost(const UnitSlotHost&) = default;
    UnitSlotHost& operator=(const UnitSlotHost&) = default;
};
