#include "device/UnitHistory.h"

#include <algorithm>

namespace {

// The ring starts this small and doubles until it reaches its capacity.
constexpr std::size_t kFirstAllocation = 1024;

} // namespace

UnitHistory::UnitHistory(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void UnitHistory::Record(HealthReading reading) {
    if (count_ > 0) {
        reading.timeMs = std::max(reading.timeMs, Newest().timeMs);
    }
    ++recorded_;
    if (count_ < capacity_) {
        if (buffer_.size() == buffer_.capacity()) {
            buffer_.reserve(std::min(capacity_, std::max(kFirstAllocation, 2 * buffer_.size())));
        }
        buffer_.push_back(reading);
        ++count_;
        return;
    }
    buffer_[oldest_] = reading;
    oldest_ = (oldest_ + 1) % capacity_;
}

void UnitHistory::Clear() {
    buffer_.clear();
    buffer_.shrink_to_fit();
    oldest_ = 0;
    count_ = 0;
    recorded_ = 0;
}

const HealthReading& UnitHistory::operator[](std::size_t index) const {
    return buffer_[(oldest_ + index) % capacity_];
}

std::size_t UnitHistory::FirstAtOrAfter(std::int64_t timeMs) const {
    std::size_t low = 0;
    std::size_t high = count_;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if ((*this)[middle].timeMs < timeMs) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}
