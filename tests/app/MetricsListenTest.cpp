// tm80 --metrics-listen as Debian's Prometheus scrapes it, two units open by a
// direct launch. tm80 broadcasts its search, so it runs in a private namespace.
#include "sim/SimUnit.h"
#include "tests/app/WorkFolder.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/infra/TempFolder.h"
#include "tests/metrics/MonitoringTestSupport.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using montest::WaitFor;

namespace {

constexpr const char* kHealthy = "127.0.0.2";
constexpr const char* kHot = "127.0.0.3";
constexpr const char* kMetrics = "127.0.0.10";

std::unique_ptr<sim::SimUnit> Unit(const char* address, int temperature) {
    auto unit = std::make_unique<sim::SimUnit>(sim::UnitConfig{.address = address});
    unit->SetStatus(temperature, 120, 15);
    return unit->Start() ? std::move(unit) : nullptr;
}

std::string At(const char* unit) {
    return std::string("{unit=\"") + unit + "\"}";
}

} // namespace

TEST(MetricsListen, PrometheusScrapesTheUnitsTheWindowHasOpen) {
    if (nstest::RanInPrivateNamespace(nstest::kSearchOnLoopback)) {
        return;
    }
    auto healthy = Unit(kHealthy, 41);
    auto hot = Unit(kHot, 85);
    ASSERT_TRUE(healthy && hot);
    TempFolder folder;
    MakeWorkFolder(folder, {kHealthy, kHot});
    const std::string work = folder / "work";
    const std::string listen = std::string(kMetrics) + ":9380";
    const std::string run =
        "cd '" + work +
        "' && QT_QPA_PLATFORM=offscreen exec '" TM80_BINARY "' --metrics-listen=" + listen;
    montest::ChildProcess tm80("sh", {"-c", run}, folder / "tm80.log");
    montest::Prometheus prometheus(folder.Path(), "127.0.0.11", listen);
    ASSERT_TRUE(prometheus.Ready()) << ReadFile(folder / "prometheus.log");
    ASSERT_TRUE(WaitFor([&] { return prometheus.Value("count(tm80_up == 1)") == 2; }, 60s))
        << ReadFile(folder / "tm80.log");
    EXPECT_EQ(prometheus.Value("tm80_temperature_celsius" + At(kHealthy)), 41);
    EXPECT_EQ(prometheus.Value("tm80_temperature_celsius" + At(kHot)), 85);
    EXPECT_EQ(prometheus.Value("tm80_supply_voltage_volts" + At(kHealthy)), 12);
    EXPECT_TRUE(WaitFor([&] { return prometheus.Firing("TM80OverTemperature", kHot); }, 20s));
    // Nothing but the window's own periodic reads reach a unit meanwhile.
    healthy->ClearFrames();
    std::this_thread::sleep_for(3s);
    const auto frames = healthy->Frames();
    EXPECT_GE(frames.size(), 2u);
    for (const sim::ReceivedFrame& frame : frames) {
        EXPECT_TRUE(frame.command == 0x2002 || simtest::IsNoteRead(frame))
            << std::hex << frame.command;
    }
    // The hot unit goes silent: down, its readings gone; scrapes are answered
    // at once while the unit's reads run out their time.
    hot->SetFault(sim::Fault::Silent);
    const auto until = Clock::now() + 3s;
    while (Clock::now() < until) {
        const auto start = Clock::now();
        EXPECT_EQ(montest::HttpGet(kMetrics, 9380, "/metrics").status, 200);
        EXPECT_LT(Clock::now() - start, 500ms);
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_TRUE(WaitFor([&] { return prometheus.Value("tm80_up" + At(kHot)) == 0; }, 20s));
    EXPECT_TRUE(prometheus.Query("tm80_temperature_celsius" + At(kHot)).isEmpty());
    EXPECT_GT(prometheus.Value(std::string("tm80_exchange_failures_total{unit=\"") + kHot +
                               "\",reason=\"timeout\"}"),
              0);
    EXPECT_TRUE(WaitFor([&] { return prometheus.Firing("TM80UnitDown", kHot); }, 20s));
    EXPECT_EQ(prometheus.Value("tm80_up" + At(kHealthy)), 1);
    EXPECT_EQ(tm80.Stop(), 0) << ReadFile(folder / "tm80.log");
}
