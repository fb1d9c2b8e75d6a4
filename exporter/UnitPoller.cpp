#include "exporter/UnitPoller.h"

#include "device/UnitConnection.h"
#include "metrics/UnitReading.h"

#include <algorithm>
#include <utility>

namespace {

// A connect may take up to one poll interval, within TCPCom's own bounds.
int ConnectTimeoutMs(std::chrono::milliseconds interval) {
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        interval.count(), CTM80M1_Comm::kDefaultBudgetMs, TCPCom::kConnectTimeoutMs));
}

} // namespace

UnitPoller::UnitPoller(std::string address, metrics::FleetMetrics& metrics,
                       std::chrono::milliseconds interval, std::chrono::milliseconds firstDelay,
                       Log log)
    : address_(std::move(address)), metrics_(metrics), interval_(interval), log_(std::move(log)) {
    metrics_.AddUnit(address_);
    thread_ = std::thread([this, firstDelay] { Run(firstDelay); });
}

UnitPoller::~UnitPoller() {
    RequestStop();
    thread_.join();
}

void UnitPoller::RequestStop() {
    std::lock_guard lock(mutex_);
    stop_ = true;
    wake_.notify_all();
}

bool UnitPoller::WaitUntil(Clock::time_point until) {
    std::unique_lock lock(mutex_);
    return !wake_.wait_until(lock, until, [this] { return stop_; });
}

void UnitPoller::Run(std::chrono::milliseconds firstDelay) {
    UnitConnection connection(address_, ConnectTimeoutMs(interval_));
    Clock::time_point next = Clock::now() + firstDelay;
    while (WaitUntil(next)) {
        next += interval_;
        ReadOnce(connection);
        // A read that overran its interval is followed by the next at once,
        // not by a burst of catching up.
        next = std::max(next, Clock::now());
    }
}

bool UnitPoller::ReadOnce(UnitConnection& connection) {
    const bool fresh = !connection.Connected();
    CTM80M1_Comm* unit = connection.Unit();
    if (unit == nullptr) {
        metrics_.RecordFailure(address_, connection.LastFailure());
        Tell(false, metrics::FleetMetrics::ReasonLabel(connection.LastFailure()));
        return false;
    }
    // Each step runs only while the ones before it succeeded.
    const bool ok = (!fresh || (unit->ReadIdentity() != 0 && unit->ReadUnitData() != 0)) &&
                    unit->ReadStatus() != 0 && unit->ReadUserNote() != 0 &&
                    unit->ReadSplitAndBands() != 0 && unit->ReadOutputAdjustments() != 0;
    if (!ok) {
        const UnitFailure failure = connection.DropAfterFailure();
        metrics_.RecordFailure(address_, failure);
        Tell(false, metrics::FleetMetrics::ReasonLabel(failure));
        return false;
    }
    metrics_.RecordSuccess(address_, metrics::ReadingOf(*unit));
    Tell(true, nullptr);
    return true;
}

void UnitPoller::Tell(bool up, const char* why) {
    if (up_ == up || !log_) {
        up_ = up;
        return;
    }
    up_ = up;
    log_(up ? "unit " + address_ + " is up" : "unit " + address_ + " is down (" + why + ")");
}
