// The metrics tm80 serves with --metrics-listen: those of the units it has
// open, fed by the reads its pages make anyway (the Info page's status
// refresh, the note check), so serving them adds no unit traffic. While an
// endpoint lives, the pages' results reach it through the functions below;
// without one they do nothing. Records are made on the thread that handles
// the reads' results; scrapes are answered on the HTTP server's threads from
// what was last recorded, so neither waits on the other.
#pragma once

#include "metrics/FleetMetrics.h"
#include "metrics/MetricsServer.h"

#include <chrono>
#include <string>

class UnitSlot;

namespace metrics {

class MetricsEndpoint {
public:
    // The window reads each unit once a second; a unit is up while its last
    // read succeeded and is at most this old.
    static constexpr std::chrono::milliseconds kUpWindow{5000};

    // The process's endpoint from here on (there is one at a time).
    explicit MetricsEndpoint(MetricsServer::LogFunction log);
    ~MetricsEndpoint();
    MetricsEndpoint(const MetricsEndpoint&) = delete;
    MetricsEndpoint& operator=(const MetricsEndpoint&) = delete;

    // Serves /metrics on `listenAddress` ("HOST:PORT", or ":PORT"); false,
    // with Error(), when it cannot.
    bool Start(const std::string& listenAddress);
    const std::string& Error() const { return server_.Error(); }

private:
    FleetMetrics metrics_;
    MetricsServer server_;
};

// A status read of the unit in `slot` gave `read`: 1 answered (its status,
// note and settings are recorded), 0 failed (the unit is down from now on),
// -1 left out (nothing is recorded).
void RecordStatusRead(const UnitSlot& slot, int read);
// A note check gave `read`; only a failure tells the metrics anything new.
void RecordNoteCheck(const UnitSlot& slot, int read);
// The unit at `address` is no longer shown: its series go.
void ForgetUnit(const std::string& address);

} // namespace metrics
