// The metrics of the units one program reads: the last reading of each unit
// and its failures, kept for scrapes. Readers record from their own threads
// (the exporter's pollers, the application's pages); a scrape copies the
// records under the lock and writes the text outside it, so it never waits
// on a unit.
//
// Every series carries the label "unit" (the unit's address); the texts that
// describe a unit sit on tm80_info alone, so a renamed note does not start
// new series of the readings. A unit is up while its last read succeeded and
// is at most the up window old; once a read fails, or the last success grows
// older than the window, its readings are left out rather than shown stale.
#pragma once

#include "device/UnitConnection.h"
#include "metrics/UnitReading.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace metrics {

class ExpositionText;

// When something happened, on both clocks: the steady one for ages, the wall
// clock for the timestamps the metrics show.
struct Moment {
    std::chrono::steady_clock::time_point steady;
    std::chrono::system_clock::time_point wall;
    static Moment Now();
};

class FleetMetrics {
public:
    static constexpr int kReasons = 4; // the values of UnitFailure

    FleetMetrics(std::chrono::milliseconds upWindow, std::string version);

    // A unit's series exist from here on (tm80_up 0, failure counters 0).
    void AddUnit(const std::string& address);
    void RemoveUnit(const std::string& address);
    // Recording for a unit not yet added adds it.
    void RecordSuccess(const std::string& address, const UnitReading& reading,
                       Moment when = Moment::Now());
    void RecordFailure(const std::string& address, UnitFailure failure);

    // The exposition text of every unit as it stands at `now`.
    std::string Render(Moment now = Moment::Now()) const;

    // The value of the label "reason" of tm80_exchange_failures_total.
    static const char* ReasonLabel(UnitFailure failure);

private:
    // Identity texts, already in UTF-8.
    struct Info {
        std::string serial, note, product, firmware, model;
    };
    struct Record {
        std::optional<Info> info;           // from the last successful read, kept when reads fail
        std::optional<UnitReading> reading; // none since a read failed
        std::optional<Moment> lastSuccess;
        std::array<std::uint64_t, kReasons> failures{};
    };
    struct Unit {
        const std::string* address;
        const Record* record;
        bool up;
    };
    void WriteReadings(ExpositionText& out, const std::vector<Unit>& units) const;

    const std::chrono::milliseconds upWindow_;
    const std::string version_;
    mutable std::mutex mutex_;
    std::map<std::string, Record> units_;
};

} // namespace metrics
