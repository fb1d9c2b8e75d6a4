#include "tools/WatchCommand.h"

#include "device/CTM80M1_Comm.h"
#include "device/UnitConnection.h"
#include "device/UnitStatus.h"
#include "tools/JsonWriter.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
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

struct Reading {
    bool ok = false;
    UnitStatus status;
    bool Alarm() const { return !ok || status.OverTemperature(); }
};

// Local time, "2026-05-17 14:03:22" for people, "2026-05-17T14:03:22+02:00" in JSON.
std::string Now(bool iso) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 48> text{};
    std::size_t n = std::strftime(text.data(), text.size(),
                                  iso ? "%Y-%m-%dT%H:%M:%S" : "%Y-%m-%d %H:%M:%S", &local);
    if (iso) {
        const long offset = local.tm_gmtoff / 60;
        const long magnitude = offset < 0 ? -offset : offset;
        std::snprintf(text.data() + n, text.size() - n, "%c%02ld:%02ld", offset < 0 ? '-' : '+',
                      magnitude / 60, magnitude % 60);
    }
    return text.data();
}

std::string Line(const Reading& r, bool json) {
    if (json) {
        JsonWriter line;
        line.BeginObject().Key("time").String(Now(true)).Key("ok").Bool(r.ok);
        if (r.ok) {
            const UnitStatus& s = r.status;
            line.Key("temperature_c").Integer(static_cast<int>(s.temperature));
            line.Key("voltage_v").Fixed(s.voltage, 1).Key("current_a").Fixed(s.current, 1);
            line.Key("power_w").Fixed(s.voltage * s.current, 1);
        } else {
            line.Key("temperature_c").Null().Key("voltage_v").Null();
            line.Key("current_a").Null().Key("power_w").Null();
        }
        return line.Key("alarm").Bool(r.Alarm()).EndObject().Text() + "\n";
    }
    char text[160];
    if (r.ok) {
        std::snprintf(text, sizeof text, "%s  %4d C  %5.1f V  %4.1f A  %6.1f W%s\n",
                      Now(false).c_str(), static_cast<int>(r.status.temperature), r.status.voltage,
                      r.status.current, r.status.voltage * r.status.current,
                      r.Alarm() ? "  ALARM" : "");
    } else {
        std::snprintf(text, sizeof text, "%s  no answer  ALARM\n", Now(false).c_str());
    }
    return text;
}

Reading Read(UnitConnection& connection) {
    Reading r;
    CTM80M1_Comm* unit = connection.Unit();
    if (unit == nullptr) {
        return r;
    }
    if (unit->ReadStatus() == 0) {
        connection.DropAfterFailure();
        return r;
    }
    r.ok = true;
    r.status = unit->status;
    return r;
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
    bool failed = false;
    auto next = Clock::now();
    for (long n = 0; options.count == 0 || n < options.count; ++n) {
        if (n > 0 && !WaitUntil(next)) {
            break;
        }
        next = Clock::now() + std::chrono::milliseconds(options.intervalMs);
        const Reading reading = Read(connection);
        if (StopSignals::Raised() && !reading.ok) {
            break; // the stop cut the exchange short: not the unit's doing
        }
        failed = failed || !reading.ok;
        out << Line(reading, options.json) << std::flush;
    }
    if (failed) {
        err << "The unit at " << options.address << " stopped answering\n";
    }
    return failed ? 1 : 0;
}
