// tm80_exporter's parts: the metrics of every unit, a poller per unit, the
// HTTP server, and with --discover a search for units now and then. A scrape
// renders what the pollers last recorded and never waits on a unit.
#pragma once

#include "exporter/ExporterOptions.h"
#include "exporter/UnitPoller.h"
#include "metrics/FleetMetrics.h"
#include "metrics/MetricsServer.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class Exporter {
public:
    using Log = std::function<void(const std::string&)>;
    static constexpr std::chrono::milliseconds kLongestSpread{5000};

    // `options.units` are the units to read from the start.
    Exporter(ExporterOptions options, Log log);
    // Stops everything that still runs.
    ~Exporter();
    Exporter(const Exporter&) = delete;
    Exporter& operator=(const Exporter&) = delete;

    // Listens, then starts the pollers (their first reads spread over one
    // interval) and the discovery. False, with Error(), when it cannot listen.
    bool Start();
    // Ends the server first, so no scrape sees a half-stopped exporter, then
    // every poller and the discovery, all asked at once.
    void Stop();
    const std::string& Error() const { return error_; }

    // Reads `address` from now on, unless it is read already.
    void AddUnit(const std::string& address, std::chrono::milliseconds firstDelay = {});
    const metrics::FleetMetrics& Metrics() const { return metrics_; }

private:
    void Discover();

    const ExporterOptions options_;
    const Log log_;
    metrics::FleetMetrics metrics_;
    metrics::MetricsServer server_;
    std::string error_;

    std::mutex mutex_; // guards pollers_ and stop_
    std::condition_variable wake_;
    std::vector<std::unique_ptr<UnitPoller>> pollers_;
    bool stop_ = false;
    std::thread discovery_;
};
