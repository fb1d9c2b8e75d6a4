// The application-wide list of units found by the last discovery, with its
// count. Each discovery empties it first. What "Add Device" offers of it
// leaves out the units the main window shows (SlotTable::Offered).
#pragma once

#include "device/DiscoveredUnit.h"

#include <vector>

class DiscoveryList {
public:
    static DiscoveryList& Instance();

    DiscoveryList() = default;
    DiscoveryList(const DiscoveryList&) = delete;
    DiscoveryList& operator=(const DiscoveryList&) = delete;

    void Clear();
    void Append(const DiscoveredUnit& unit);

    int Count() const { return count_; }
    // Entry `index`, 0 <= index < Count().
    const DiscoveredUnit& At(int index) const { return units_[static_cast<std::size_t>(index)]; }
    const std::vector<DiscoveredUnit>& Units() const { return units_; }

private:
    std::vector<DiscoveredUnit> units_;
    int count_ = 0;
};
