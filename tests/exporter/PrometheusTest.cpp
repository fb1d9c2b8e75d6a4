// tm80_exporter as Prometheus (Debian's) scrapes it, with the shipped alert
// rules (short "for:"): three simulated units found by its search, one
// healthy, one hot with a low supply, one that goes silent on the way; then
// the exporter goes. The dashboard's queries all find series. It broadcasts,
// so it runs in a private network namespace, where the search leaves from
// 127.0.0.1 for the simulated modules to answer.
#include "sim/SimUnit.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/infra/TempFolder.h"
#include "tests/metrics/MonitoringTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using montest::WaitFor;

namespace {

std::unique_ptr<sim::SimUnit> Unit(const char* address, const char* note, int temperature,
                                   int voltageTenths) {
    auto unit = std::make_unique<sim::SimUnit>(
        sim::UnitConfig{.address = address, .note = note, .module = true});
    unit->SetStatus(temperature, voltageTenths, 15);
    return unit->Start() ? std::move(unit) : nullptr;
}

} // namespace

TEST(Prometheus, ScrapesTheExporterAndFiresTheAlerts) {
    if (nstest::RanInPrivateNamespace(nstest::kSearchOnLoopback)) {
        return;
    }
    auto healthy = Unit("127.0.0.2", "MAST \"2\" \\ \xC9", 41, 120);
    auto hot = Unit("127.0.0.3", "RACK B", 85, 95);
    auto fading = Unit("127.0.0.4", "SPARE", 40, 121);
    ASSERT_TRUE(healthy && hot && fading);
    TempFolder folder;
    montest::ChildProcess exporter(TM80_EXPORTER_PATH,
                                   {"--web.listen-address=127.0.0.10:9380", "--unit=127.0.0.2",
                                    "--discover", "--poll-interval=250ms"},
                                   folder / "exporter.log");
    montest::Prometheus prometheus(folder.Path(), "127.0.0.11", "127.0.0.10:9380");
    ASSERT_TRUE(prometheus.Ready()) << ReadFile(folder / "prometheus.log");
    ASSERT_TRUE(WaitFor([&] { return prometheus.Value("count(tm80_up == 1)") == 3; }, 30s));
    EXPECT_EQ(healthy->OpenConnections(), 1) << "given and found: read on one connection";

    // What Prometheus holds is what the units report.
    EXPECT_EQ(prometheus.Value("tm80_temperature_celsius{unit=\"127.0.0.2\"}"), 41);
    EXPECT_EQ(prometheus.Value("tm80_temperature_celsius{unit=\"127.0.0.3\"}"), 85);
    EXPECT_EQ(prometheus.Value("tm80_power_watts{unit=\"127.0.0.4\"}"), 18.15);
    EXPECT_EQ(prometheus.Query("tm80_info{note=\"MAST \\\"2\\\" \\\\ \xC3\x89\"}").size(), 1);
    WriteFile(folder / "metrics", montest::HttpGet("127.0.0.10", 9380, "/metrics").body);
    const std::string lint =
        "promtool check metrics <" + folder / "metrics" + " >" + folder / "lint";
    EXPECT_EQ(std::system((lint + " 2>&1").c_str()), 0) << ReadFile(folder / "lint");
    EXPECT_TRUE(
        WaitFor([&] { return prometheus.Firing("TM80OverTemperature", "127.0.0.3"); }, 20s));
    EXPECT_TRUE(
        WaitFor([&] { return prometheus.Firing("TM80SupplyVoltageOutOfBand", "127.0.0.3"); }, 20s));
    EXPECT_FALSE(prometheus.Firing("TM80OverTemperature", "127.0.0.2"));
    // Every query of the Grafana dashboard, its variables filled in.
    const QJsonDocument dashboard = QJsonDocument::fromJson(
        QByteArray::fromStdString(ReadFile(TM80_PACKAGING_DIR "/grafana/tm80-dashboard.json")));
    for (const QJsonValue& panel : dashboard["panels"].toArray()) {
        for (const QJsonValue& target : panel["targets"].toArray()) {
            QString query = target["expr"].toString();
            query.replace("$unit", ".+").replace("$__rate_interval", "1m");
            EXPECT_FALSE(prometheus.Query(query.toStdString()).isEmpty()) << query.toStdString();
        }
    }

    // A unit that goes silent: down, its readings gone, and after "for:" the alert.
    fading->SetFault(sim::Fault::Silent);
    EXPECT_TRUE(WaitFor([&] { return prometheus.Value("tm80_up{unit=\"127.0.0.4\"}") == 0; }, 20s));
    EXPECT_TRUE(prometheus.Query("tm80_temperature_celsius{unit=\"127.0.0.4\"}").isEmpty());
    EXPECT_TRUE(WaitFor([&] { return prometheus.Firing("TM80UnitDown", "127.0.0.4"); }, 20s));
    EXPECT_EQ(prometheus.Value("tm80_up{unit=\"127.0.0.2\"}"), 1);

    EXPECT_EQ(exporter.Stop(), 0);
    EXPECT_TRUE(WaitFor([&] { return prometheus.Firing("TM80ExporterDown"); }, 20s));
}
