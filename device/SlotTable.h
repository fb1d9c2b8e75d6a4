// The four positions of the units the application shows (Device 1 to 4).
// The main window fills and empties it; every device-window pane reaches its
// unit through it by unit index.
#pragma once

#include "device/DiscoveryList.h"
#include "device/UnitSlot.h"
#include "infra/SystemConfiguration.h"

#include <array>
#include <memory>
#include <vector>

class SlotTable {
public:
    // The most Clear waits for all the units to close their connections, and
    // Release for one.
    static constexpr int kClearBudgetMs = 250;

    struct Position {
        std::unique_ptr<UnitSlot> slot;
        bool occupied = false;
        bool windowShown = false;
    };

    // The lowest free position, marked occupied; -1 when all four are taken.
    int Claim();
    // Destroys the slot at `index` (its worker's exchange in flight broken
    // off, then the connection closed within kClearBudgetMs) and clears its
    // flags, the unit's ConnectionLostFlag among them: the next unit there is
    // another.
    void Release(int index);

    // The slot at `index`, or nullptr for an empty or out-of-range position.
    UnitSlot* Slot(int index) const;
    Position& At(int index) { return positions_.at(static_cast<std::size_t>(index)); }
    const Position& At(int index) const { return positions_.at(static_cast<std::size_t>(index)); }
    bool Full() const;
    // The position whose unit has the address text `address`, or -1: one
    // unit, one row.
    int Showing(const std::string& address) const;
    // The entries of `found` whose unit no position shows, in list order:
    // what "Add Device" offers and "Devices Found" counts.
    std::vector<int> Offered(const DiscoveryList& found) const;
    // Empties every position (tests, and the end of the main window): the
    // exchanges in flight broken off, the connections closed gracefully, all
    // together, within kClearBudgetMs.
    void Clear();

private:
    // Closes the connections of `slots` together within kClearBudgetMs.
    static void CloseTogether(const std::vector<UnitSlot*>& slots);

    std::array<Position, kUnitPositions> positions_{};
};

SlotTable& TheSlotTable();
