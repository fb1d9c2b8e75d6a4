// One unit read in the background, on a thread of its own, once every poll
// interval, over a connection kept open between reads. A new connection
// first reads the unit's identity and unit data (which says whether it
// reports its health); every read then takes its status, note, split and
// bands, and adjustments. Only read commands are sent. The first failed
// exchange ends the read: the failure is recorded at once, the connection is
// dropped, and the next read connects afresh.
#pragma once

#include "metrics/FleetMetrics.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class UnitConnection;

class UnitPoller {
public:
    using Log = std::function<void(const std::string&)>;

    // Reads start after `firstDelay` (so that many units spread their reads
    // over the interval) and record into `metrics`, which must outlive the
    // poller. Up and down changes are told to `log`.
    UnitPoller(std::string address, metrics::FleetMetrics& metrics,
               std::chrono::milliseconds interval, std::chrono::milliseconds firstDelay, Log log);
    // Stops, and returns once the thread has ended.
    ~UnitPoller();
    UnitPoller(const UnitPoller&) = delete;
    UnitPoller& operator=(const UnitPoller&) = delete;

    // Asks the thread to end after the exchange under way; returns at once.
    void RequestStop();
    const std::string& Address() const { return address_; }

private:
    using Clock = std::chrono::steady_clock;

    void Run(std::chrono::milliseconds firstDelay);
    // One read; false when it failed.
    bool ReadOnce(UnitConnection& connection);
    // Waits until `until`; false when asked to stop.
    bool WaitUntil(Clock::time_point until);
    void Tell(bool up, const char* why);

    const std::string address_;
    metrics::FleetMetrics& metrics_;
    const std::chrono::milliseconds interval_;
    const Log log_;
    std::optional<bool> up_; // as last told

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};
