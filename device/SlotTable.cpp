#include "device/SlotTable.h"

#include "device/UnitFlags.h"
#include "platform/Clock.h"

int SlotTable::Claim() {
    for (int i = 0; i < kUnitPositions; ++i) {
        if (!positions_[static_cast<std::size_t>(i)].occupied) {
            positions_[static_cast<std::size_t>(i)].occupied = true;
            return i;
        }
    }
    return -1;
}

void SlotTable::Release(int index) {
    if (index < 0 || index >= kUnitPositions) {
        return;
    }
    Position& position = positions_[static_cast<std::size_t>(index)];
    if (position.slot != nullptr) {
        position.slot->StopWorker();
        CloseTogether({position.slot.get()});
    }
    position.slot.reset();
    position.occupied = false;
    position.windowShown = false;
    ConnectionLostFlag()[static_cast<std::size_t>(index)] = 0;
}

UnitSlot* SlotTable::Slot(int index) const {
    if (index < 0 || index >= kUnitPositions) {
        return nullptr;
    }
    return positions_[static_cast<std::size_t>(index)].slot.get();
}

bool SlotTable::Full() const {
    for (const auto& position : positions_) {
        if (!position.occupied) {
            return false;
        }
    }
    return true;
}

int SlotTable::Showing(const std::string& address) const {
    for (int i = 0; i < kUnitPositions; ++i) {
        const UnitSlot* slot = Slot(i);
        if (slot != nullptr && slot->addressText == address) {
            return i;
        }
    }
    return -1;
}

std::vector<int> SlotTable::Offered(const DiscoveryList& found) const {
    std::vector<int> offered;
    for (int k = 0; k < found.Count(); ++k) {
        if (Showing(found.At(k).addressText) < 0) {
            offered.push_back(k);
        }
    }
    return offered;
}

void SlotTable::CloseTogether(const std::vector<UnitSlot*>& slots) {
    // Every unit is told at once and all share one wait for their ends, so
    // silent units cannot keep the application alive a receive time-out each.
    const std::int64_t deadline = win::ProcessClock() + kClearBudgetMs;
    for (UnitSlot* slot : slots) {
        if (slot->Connection() != nullptr) {
            slot->Connection()->BeginClose();
        }
    }
    for (UnitSlot* slot : slots) {
        if (slot->Connection() != nullptr) {
            slot->Connection()->FinishClose(deadline);
        }
    }
}

void SlotTable::Clear() {
    std::vector<UnitSlot*> slots;
    for (const auto& position : positions_) {
        if (position.slot != nullptr) {
            slots.push_back(position.slot.get());
        }
    }
    // The workers all break off their exchanges before any is waited for.
    for (UnitSlot* slot : slots) {
        slot->BreakWorker();
    }
    for (UnitSlot* slot : slots) {
        slot->StopWorker();
    }
    CloseTogether(slots);
    for (int i = 0; i < kUnitPositions; ++i) {
        Release(i);
    }
}

SlotTable& TheSlotTable() {
    static SlotTable table;
    return table;
}
