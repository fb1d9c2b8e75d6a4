#include "device/DiscoveryList.h"

DiscoveryList& DiscoveryList::Instance() {
    static DiscoveryList list;
    return list;
}

void DiscoveryList::Clear() {
    units_.clear();
    count_ = 0;
}

void DiscoveryList::Append(const DiscoveredUnit& unit) {
    units_.push_back(unit);
    count_ = static_cast<int>(units_.size());
}
