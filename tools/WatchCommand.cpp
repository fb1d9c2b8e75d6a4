#include "tools/WatchCommand.h"

#include "device/CTM80M1_Comm.h"
#include "device/HealthCsv.h"
#include "device/UnitConnection.h"
#include "infra/WallClock.h"
#include "tools/JsonWriter.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A wait is cut into slices this long, so a stop signal ends it promptly.
constexpr auto kWaitSlice = std::chrono::milliseconds(50);

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
    g_stop = 1;
}

// SIGINT and SIGTERM raise the stop flag while the object lives. Without
// SA_RESTART a blocking connect or receive returns at once, as a failure.
class StopSignals {
public:
    StopSignals() {
        g_stop = 0;
        struct sigaction action {};
        action.sa_handler = &OnStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &oldInt_);
        ::sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static bool Raised() { return g_stop != 0; }

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

std::string JsonLine(const HealthReading& r) {
    const auto& key = HealthCsv::kColumns;
    JsonWriter line;
    line.BeginObject().Key(key[HealthCsv::Time]).String(IsoLocalTime(r.timeMs));
    line.Key(key[HealthCsv::Ok]).Bool(r.Answered());
    if (r.Answered()) {
        line.Key(key[HealthCsv::TemperatureC]).Integer(r.Temperature());
        line.Key(key[HealthCsv::VoltageV]).Fixed(r.Voltage(), 1);
        line.Key(key[HealthCsv::CurrentA]).Fixed(r.Current(), 1);
        line.Key(key[HealthCsv::PowerW]).Fixed(r.Power(), 1);
    } else {
        line.Key(key[HealthCsv::TemperatureC]).Null().Key(key[HealthCsv::VoltageV]).Null();
        line.Key(key[HealthCsv::CurrentA]).Null().Key(key[HealthCsv::PowerW]).Null();
    }
    return line.Key(key[HealthCsv::Alarm]).Bool(r.Alarm()).EndObject().Text() + "\n";
}

std::string TextLine(const HealthReading& r) {
    const std::string time = PlainLocalTime(r.timeMs);
    char text[160];
    if (r.Answered()) {
        std::snprintf(text, sizeof text, "%s  %4d C  %5.1f V  %4.1f A  %6.1f W%s\n", time.c_str(),
                      r.Temperature(), r.Voltage(), r.Current(), r.Power(),
                      r.Alarm() ? "  ALARM" : "");
    } else {
        std::snprintf(text, sizeof text, "%s  no answer  ALARM\n", time.c_str());
    }
    return text;
}

std::string Line(const HealthReading& r, const WatchOptions& options) {
    if (options.json) {
        return JsonLine(r);
    }
    return options.csv ? HealthCsv::Row(r) : TextLine(r);
}

HealthReading Read(UnitConnection& connection) {
    const std::int64_t now = WallClockMs();
    CTM80M1_Comm* unit = connection.Unit();
    if (unit == nullptr || unit->ReadStatus() == 0) {
        if (unit != nullptr) {
            connection.Drop();
        }
        return HealthReading::Of(now, {}, HealthReading::Outcome::Failed, false);
    }
    return HealthReading::Of(now, unit->status, HealthReading::Outcome::Answered, false);
}

// Waits until `until` or a stop signal; false when stopped.
bool WaitUntil(Clock::time_point until) {
    while (!StopSignals::Raised()) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(left, kWaitSlice));
    }
    return false;
}

} // namespace

int RunWatchCommand(const WatchOptions& options, std::ostream& out, std::ostream& err) {
    StopSignals stop;
    UnitConnection connection(options.address);
    if (connection.Unit() == nullptr) {
        err << "Connection could not be made with " << options.address << "\n";
        return 1;
    }
    if (options.csv) {
        out << HealthCsv::Header() << std::flush;
    }
    bool failed = false;
    auto next = Clock::now();
    for (long n = 0; options.count == 0 || n < options.count; ++n) {
        if (n > 0 && !WaitUntil(next)) {
            break;
        }
        next = Clock::now() + std::chrono::milliseconds(options.intervalMs);
        const HealthReading reading = Read(connection);
        if (StopSignals::Raised() && !reading.Answered()) {
            break; // the stop cut the exchange short: not the unit's doing
        }
        failed = failed || !reading.Answered();
        out << Line(reading, options) << std::flush;
    }
    if (failed) {
        err << "The unit at " << options.address << " stopped answering\n";
    }
    return failed ? 1 : 0;
}
