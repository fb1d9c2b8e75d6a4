#include "device/SlotTable.h"

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
    position.slot.reset();
    position.occupied = false;
    position.windowShown = false;
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

void SlotTable::Clear() {
    // Every unit is told at once and all share one wait for their ends, so
    // silent units cannot keep the application alive a receive time-out each.
    const std::int64_t deadline = win::ProcessClock() + kClearBudgetMs;
    for (const auto& position : positions_) {
        if (position.slot != nullptr && position.slot->Connection() != nullptr) {
            position.slot->Connection()->BeginClose();
        }
    }
    for (const auto& position : positions_) {
        if (position.slot != nullptr && position.slot->Connection() != nullptr) {
            position.slot->Connection()->FinishClose(deadline);
        }
    }
    for (int i = 0; i < kUnitPositions; ++i) {
        Release(i);
    }
}

SlotTable& TheSlotTable() {
    static SlotTable table;
    return table;
}
