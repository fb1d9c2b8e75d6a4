#include "device/SlotTable.h"

int SlotTable::Claim() {
    for (int i = 0; i < kPositions; ++i) {
        if (!positions_[static_cast<std::size_t>(i)].occupied) {
            positions_[static_cast<std::size_t>(i)].occupied = true;
            return i;
        }
    }
    return -1;
}

void SlotTable::Release(int index) {
    if (index < 0 || index >= kPositions) {
        return;
    }
    Position& position = positions_[static_cast<std::size_t>(index)];
    position.slot.reset();
    position.occupied = false;
    position.windowShown = false;
}

UnitSlot* SlotTable::Slot(int index) const {
    if (index < 0 || index >= kPositions) {
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
    for (int i = 0; i < kPositions; ++i) {
        Release(i);
    }
}

SlotTable& TheSlotTable() {
    static SlotTable table;
    return table;
}
