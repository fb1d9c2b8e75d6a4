#include "metrics/FleetMetrics.h"

#include "metrics/ExpositionText.h"

#include <utility>
#include <vector>

namespace metrics {

namespace {

// The failures in the order of UnitFailure.
constexpr const char* kReasonLabels[FleetMetrics::kReasons] = {"busy", "unreachable", "timeout",
                                                               "closed"};

// A family with one sample per unit that is up.
struct ReadingFamily {
    const char* name;
    const char* help;
    bool health; // left out for a unit that does not report its health
    double (*value)(const UnitReading&);
};

constexpr ReadingFamily kReadingFamilies[] = {
    {"tm80_temperature_celsius", "System temperature the unit reports.", true,
     [](const UnitReading& r) { return r.status.temperature; }},
    {"tm80_supply_voltage_volts", "Source voltage the unit reports.", true,
     [](const UnitReading& r) { return r.status.voltage; }},
    {"tm80_supply_current_amperes", "Source current the unit reports.", true,
     [](const UnitReading& r) { return r.status.current; }},
    {"tm80_power_watts", "Power the unit draws: source voltage times source current.", true,
     [](const UnitReading& r) { return r.PowerW(); }},
    {"tm80_over_temperature",
     "1 while the system temperature is above 80 degrees Celsius (the application's alarm), "
     "else 0.",
     true, [](const UnitReading& r) { return r.status.OverTemperature() ? 1.0 : 0.0; }},
    {"tm80_split_mode", "Input split: 0 is 1:8, 1 is 2:4.", false,
     [](const UnitReading& r) { return static_cast<double>(r.split); }},
};

// A family with one sample per output of each unit that is up.
struct OutputFamily {
    const char* name;
    const char* help;
    double (*value)(const UnitReading&, int output);
};

constexpr OutputFamily kOutputFamilies[] = {
    {"tm80_output_band", "Band position (0 to 7) routed to the output.",
     [](const UnitReading& r, int k) { return static_cast<double>(r.bands[k]); }},
    {"tm80_output_adjustment_db", "Adjustment of the output in dB (steps of 0.25 dB).",
     [](const UnitReading& r, int k) { return r.adjustmentSteps[k] * 0.25; }},
};

constexpr const char* kOutputNames[UnitReading::kOutputs] = {"1", "2", "3", "4",
                                                             "5", "6", "7", "8"};

double UnixSeconds(std::chrono::system_clock::time_point t) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
    return static_cast<double>(ms) / 1000.0;
}

} // namespace

Moment Moment::Now() {
    return {std::chrono::steady_clock::now(), std::chrono::system_clock::now()};
}

FleetMetrics::FleetMetrics(std::chrono::milliseconds upWindow, std::string version)
    : upWindow_(upWindow), version_(std::move(version)) {}

const char* FleetMetrics::ReasonLabel(UnitFailure failure) {
    return kReasonLabels[static_cast<int>(failure)];
}

void FleetMetrics::AddUnit(const std::string& address) {
    std::lock_guard lock(mutex_);
    units_.try_emplace(address);
}

void FleetMetrics::RemoveUnit(const std::string& address) {
    std::lock_guard lock(mutex_);
    units_.erase(address);
}

void FleetMetrics::RecordSuccess(const std::string& address, const UnitReading& reading,
                                 Moment when) {
    Info info{UnitTextToUtf8(reading.serial), UnitTextToUtf8(reading.note),
              UnitTextToUtf8(reading.product), UnitTextToUtf8(reading.firmware),
              UnitTextToUtf8(reading.model)};
    std::lock_guard lock(mutex_);
    Record& record = units_[address];
    record.info = std::move(info);
    record.reading = reading;
    record.lastSuccess = when;
}

void FleetMetrics::RecordFailure(const std::string& address, UnitFailure failure) {
    std::lock_guard lock(mutex_);
    Record& record = units_[address];
    record.reading.reset();
    ++record.failures[static_cast<std::size_t>(failure)];
}

std::string FleetMetrics::Render(Moment now) const {
    std::vector<std::pair<std::string, Record>> snapshot;
    {
        std::lock_guard lock(mutex_);
        snapshot.assign(units_.begin(), units_.end());
    }
    std::vector<Unit> units;
    for (const auto& [address, record] : snapshot) {
        const bool up = record.reading.has_value() && record.lastSuccess.has_value() &&
                        now.steady - record.lastSuccess->steady <= upWindow_;
        units.push_back({&address, &record, up});
    }

    ExpositionText out;
    out.Family("tm80_up",
               "1 when the unit answered its last read and that read is at most two poll "
               "intervals old, else 0.",
               MetricType::Gauge);
    for (const Unit& u : units) {
        out.Sample({{"unit", *u.address}}, u.up ? 1 : 0);
    }
    out.Family("tm80_info", "Who the unit is, as it last said; always 1.", MetricType::Gauge);
    for (const Unit& u : units) {
        if (const auto& info = u.record->info) {
            out.Sample({{"unit", *u.address},
                        {"serial", info->serial},
                        {"note", info->note},
                        {"product", info->product},
                        {"firmware", info->firmware},
                        {"model", info->model}},
                       1);
        }
    }
    WriteReadings(out, units);
    out.Family("tm80_exchange_failures_total",
               "Reads of the unit that failed, by reason: busy (the connect was refused: "
               "another client, such as tm80, holds the unit's one connection), unreachable "
               "(the connect failed otherwise), timeout (a reply did not come within its "
               "budget), closed (the unit closed or reset the connection).",
               MetricType::Counter);
    for (const Unit& u : units) {
        for (int r = 0; r < kReasons; ++r) {
            out.Sample({{"unit", *u.address}, {"reason", kReasonLabels[r]}},
                       static_cast<double>(u.record->failures[static_cast<std::size_t>(r)]));
        }
    }
    out.Family("tm80_last_success_timestamp_seconds",
               "Unix time of the last successful read of the unit.", MetricType::Gauge);
    for (const Unit& u : units) {
        if (u.record->lastSuccess) {
            out.Sample({{"unit", *u.address}}, UnixSeconds(u.record->lastSuccess->wall));
        }
    }
    out.Family("tm80_exporter_build_info",
               "Version of the program serving these metrics; always 1.", MetricType::Gauge);
    out.Sample({{"version", version_}}, 1);
    return out.Text();
}

void FleetMetrics::WriteReadings(ExpositionText& out, const std::vector<Unit>& units) const {
    for (const ReadingFamily& family : kReadingFamilies) {
        out.Family(family.name, family.help, MetricType::Gauge);
        for (const Unit& u : units) {
            const UnitReading* r = u.up ? &*u.record->reading : nullptr;
            if (r != nullptr && (r->monitoring || !family.health)) {
                out.Sample({{"unit", *u.address}}, family.value(*r));
            }
        }
    }
    for (const OutputFamily& family : kOutputFamilies) {
        out.Family(family.name, family.help, MetricType::Gauge);
        for (const Unit& u : units) {
            if (!u.up) {
                continue;
            }
            for (int k = 0; k < UnitReading::kOutputs; ++k) {
                out.Sample({{"unit", *u.address}, {"output", kOutputNames[k]}},
                           family.value(*u.record->reading, k));
            }
        }
    }
}

} // namespace metrics
