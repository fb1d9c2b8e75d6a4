// UnitHistory: the health of one open unit over time, every status read in
// the order made, in a ring of fixed capacity: once it is full each new
// reading drops the oldest. Reads that failed, and reads left out while the
// unit was quiet, are kept as readings of their own (without values), so the
// gaps stay where they were.
//
// The ring grows as it fills and never beyond its capacity: at the default
// capacity, 25 hours at one reading a second, it holds 1.44 MB
// (kCapacity * sizeof(HealthReading)). Used from one thread (the GUI thread
// in the application).
#pragma once

#include "device/HealthReading.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class UnitHistory {
public:
    static constexpr std::size_t kCapacity = 25 * 60 * 60;

    explicit UnitHistory(std::size_t capacity = kCapacity);

    // Appends `reading` as the newest, dropping the oldest when full. A time
    // before the newest reading's (the clock was set back) is taken as the
    // newest's, so the readings stay in time order.
    void Record(HealthReading reading);
    void Clear();

    std::size_t Size() const { return count_; }
    bool Empty() const { return count_ == 0; }
    std::size_t Capacity() const { return capacity_; }
    // Reading `index`, 0 the oldest kept, Size() - 1 the newest.
    const HealthReading& operator[](std::size_t index) const;
    const HealthReading& Newest() const { return (*this)[count_ - 1]; }
    // Readings recorded since construction or Clear, dropped ones included:
    // a reader compares it to see whether anything is new.
    std::uint64_t Recorded() const { return recorded_; }
    // The index of the first reading at or after `timeMs`; Size() when none.
    std::size_t FirstAtOrAfter(std::int64_t timeMs) const;
    // What the readings take now.
    std::size_t MemoryBytes() const { return buffer_.capacity() * sizeof(HealthReading); }

private:
    std::vector<HealthReading> buffer_;
    std::size_t capacity_;
    std::size_t oldest_ = 0; // where the oldest reading sits once the ring is full
    std::size_t count_ = 0;
    std::uint64_t recorded_ = 0;
};
