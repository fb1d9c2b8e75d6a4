// The exporter against simulated units: it reads with read commands only, a
// scrape (well-formed or hostile) never reaches a unit, and a unit that is
// held by another client, goes silent or hangs up is down with its reason
// within one budget of its next read, and up again once it answers.
#include "exporter/Exporter.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/metrics/MonitoringTestSupport.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPort = 9380;

// A simulated unit and an exporter reading it, each on an address of the test's own.
struct Rig {
    explicit Rig(sim::UnitConfig config = {}) {
        unit = simtest::StartUnit(38, simtest::CurrentTestName(), config);
        if (unit != nullptr) {
            unit->SetStatus(41, 120, 15);
        }
    }
    void StartExporter(std::chrono::milliseconds pollInterval) {
        ExporterOptions options;
        options.units = {unit->Config().address};
        options.pollInterval = pollInterval;
        for (int attempt = 1; attempt < 20 && exporter == nullptr; ++attempt) {
            address = simtest::TestAddress(39, simtest::CurrentTestName(), attempt);
            options.listenAddress = address + ":" + std::to_string(kPort);
            exporter = std::make_unique<Exporter>(options, [](const std::string&) {});
            if (!exporter->Start()) {
                exporter.reset();
            }
        }
    }
    bool Ready() const { return unit != nullptr && exporter != nullptr; }

    std::map<std::string, double> Scrape() const {
        return montest::Series(montest::HttpGet(address, kPort, "/metrics").body);
    }
    std::string At() const { return "{unit=\"" + unit->Config().address + "\"}"; }
    double Failures(const char* reason) const {
        return Scrape()["tm80_exchange_failures_total{unit=\"" + unit->Config().address +
                        "\",reason=\"" + reason + "\"}"];
    }
    bool WaitUp(bool up, std::chrono::milliseconds timeout = 10s) const {
        return montest::WaitFor([&] { return Scrape()["tm80_up" + At()] == (up ? 1 : 0); },
                                timeout);
    }

    std::unique_ptr<sim::SimUnit> unit;
    std::string address;
    std::unique_ptr<Exporter> exporter;
};

bool IsRead(const sim::ReceivedFrame& frame) {
    switch (frame.command) {
    case 0x2001: // identity
    case 0x2002: // status
    case 0x2009: // block
    case 0x4000: // adjustments
    case 0x4004: // split and bands
        return true;
    case 0x1003: // the note, read with mode 0 (0x80 would write it)
        return frame.bytes.size() > 6 && frame.bytes[6] == 0x00;
    default:
        return false;
    }
}

} // namespace

TEST(Exporter, ReadsOnlyAndScrapesNeverReachTheUnit) {
    Rig rig;
    ASSERT_NE(rig.unit, nullptr);
    rig.StartExporter(1h);
    ASSERT_TRUE(rig.Ready());
    ASSERT_TRUE(rig.WaitUp(true));
    const auto series = rig.Scrape();
    EXPECT_EQ(series.at("tm80_temperature_celsius" + rig.At()), 41);
    EXPECT_EQ(series.at("tm80_supply_voltage_volts" + rig.At()), 12);
    EXPECT_EQ(series.at("tm80_supply_current_amperes" + rig.At()), 1.5);
    EXPECT_EQ(series.at("tm80_power_watts" + rig.At()), 18);

    const std::size_t frames = rig.unit->Frames().size();
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(montest::HttpGet(rig.address, kPort, "/metrics").status, 200);
    }
    for (const char* hostile :
         {"POST /metrics HTTP/1.0\r\nContent-Length: 3\r\n\r\nabc",
          "GET /../metrics HTTP/1.0\r\n\r\n", "\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03"}) {
        EXPECT_GE(montest::HttpExchange(rig.address, kPort, hostile).status, 400);
    }
    const auto log = rig.unit->Frames();
    EXPECT_EQ(log.size(), frames) << "a scrape made the exporter talk to the unit";
    for (const sim::ReceivedFrame& frame : log) {
        EXPECT_TRUE(IsRead(frame)) << std::hex << "command 0x" << frame.command;
    }
}

TEST(Exporter, AUnitThatCannotBeReadIsDownWithItsReasonAndComesBack) {
    const auto interval = 300ms;
    sim::UnitConfig singleClient;
    singleClient.singleClient = true;
    Rig rig(singleClient);
    ASSERT_NE(rig.unit, nullptr);
    // The window holds the unit's one connection when the exporter starts.
    auto window = std::make_unique<TCPCom>(rig.unit->Config().address.c_str());
    ASSERT_TRUE(window->IsConnected());
    rig.StartExporter(interval);
    ASSERT_TRUE(rig.Ready());
    ASSERT_TRUE(montest::WaitFor([&] { return rig.Failures("busy") >= 2; }, 10s));
    auto series = rig.Scrape();
    EXPECT_EQ(series["tm80_up" + rig.At()], 0);
    EXPECT_EQ(series.count("tm80_info" + rig.At()), 0u) << "never read: nobody to name";
    EXPECT_EQ(rig.unit->Frames().size(), 0u);
    window.reset();
    ASSERT_TRUE(rig.WaitUp(true));

    struct Case {
        const char* reason;
        sim::Fault fault;
    };
    for (const Case& c : {Case{"timeout", sim::Fault::Silent}, Case{"closed", sim::Fault::Reset}}) {
        SCOPED_TRACE(c.reason);
        ASSERT_TRUE(rig.WaitUp(true));
        const double before = rig.Failures(c.reason);
        const auto start = Clock::now();
        rig.unit->SetFault(c.fault);
        // Down, and the failure counted, within the next read's budget (a
        // silent unit's last success grows stale even before that).
        ASSERT_TRUE(montest::WaitFor([&] { return rig.Failures(c.reason) > before; }, 10s));
        EXPECT_LT(Clock::now() - start, interval + 1000ms + 2000ms) << "allowing for load";
        series = rig.Scrape();
        EXPECT_EQ(series["tm80_up" + rig.At()], 0);
        EXPECT_EQ(series.count("tm80_temperature_celsius" + rig.At()), 0u);
        EXPECT_EQ(series.count("tm80_output_band{unit=\"" + rig.unit->Config().address +
                               "\",output=\"1\"}"),
                  0u);
        // A scrape answers at once while the unit keeps failing.
        const auto scrape = Clock::now();
        EXPECT_EQ(montest::HttpGet(rig.address, kPort, "/metrics").status, 200);
        EXPECT_LT(Clock::now() - scrape, 500ms);
        rig.unit->SetFault(sim::Fault::None);
    }
    EXPECT_TRUE(rig.WaitUp(true));
}

// --discover: units found by the broadcast search are read from then on.
// Broadcasts, so it runs in a private network namespace, where the search
// leaves from 127.0.0.1 for the simulated modules to answer.
TEST(Exporter, DiscoveredUnitsAreRead) {
    if (!nstest::Inside()) {
        nstest::RunInPrivateNamespace(
            simtest::CurrentTestName(),
            "ip link set lo up && ip route add default dev lo src 127.0.0.1 && ");
        return;
    }
    std::vector<std::unique_ptr<sim::SimUnit>> units;
    for (const char* address : {"127.0.0.2", "127.0.0.3"}) {
        sim::UnitConfig config;
        config.address = address;
        config.module = true;
        units.push_back(std::make_unique<sim::SimUnit>(config));
        ASSERT_TRUE(units.back()->Start()) << units.back()->Error();
    }
    ExporterOptions options;
    options.discover = true;
    options.pollInterval = 300ms;
    options.listenAddress = "127.0.0.10:9380";
    Exporter exporter(options, [](const std::string&) {});
    ASSERT_TRUE(exporter.Start()) << exporter.Error();
    EXPECT_TRUE(montest::WaitFor(
        [] {
            auto series = montest::Series(montest::HttpGet("127.0.0.10", kPort, "/metrics").body);
            return series["tm80_up{unit=\"127.0.0.2\"}"] == 1 &&
                   series["tm80_up{unit=\"127.0.0.3\"}"] == 1;
        },
        15s));
}
