// The exporter's flags and unit files; against a simulated unit it sends reads
// only, a request (hostile or not) gets its page or an error status and never
// reaches the unit, scrapes are answered side by side, and a unit held by
// another client, silent or hanging up is down with its reason within one
// budget of its next read, and up again once it answers.
#include "exporter/Exporter.h"
#include "exporter/UnitList.h"
#include "tests/metrics/MonitoringTestSupport.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

using namespace std::chrono_literals;
using Action = ExporterCommand::Action;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(ExporterOptions, FlagsPrometheusDurationsAndUnitFiles) {
    const struct {
        std::vector<std::string> args;
        Action action;
        const char* error; // a part of the usage error
    } cases[] = {
        {{"--unit=127.0.0.2"}, Action::Run, ""},
        {{"--discover"}, Action::Run, ""},
        {{"--config.file", "units"}, Action::Run, ""},
        {{"--unit=127.0.0.2", "--help"}, Action::Help, ""},
        {{}, Action::Usage, "no units"},
        {{"--unit"}, Action::Usage, "--unit needs a value"},
        {{"--unit=0.0.0.0"}, Action::Usage, "--unit takes a unit's IPv4 address"},
        {{"--unit=127.0.0.2", "--poll-interval=100ms"}, Action::Usage, "at least 200ms"},
        {{"--unit=127.0.0.2", "--discover.interval=1s"}, Action::Usage, "at least 10000ms"},
        {{"--unit=127.0.0.2", "--web.listen-address=localhost:9380"}, Action::Usage, "HOST:PORT"},
        {{"--unit=127.0.0.2", "--web.listen-address=127.0.0.2:65536"}, Action::Usage, "HOST:PORT"},
        {{"--unit=127.0.0.2", "127.0.0.3"}, Action::Usage, "unknown flag: 127.0.0.3"},
    };
    for (const auto& c : cases) {
        const ExporterCommand command = ParseExporterCommand(c.args);
        EXPECT_EQ(command.action, c.action) << c.args.size();
        EXPECT_NE(command.error.find(c.error), std::string::npos) << command.error;
    }

    const ExporterOptions o =
        ParseExporterCommand({"--unit=127.0.0.2", "--unit", "127.0.0.3", "--unit=127.0.0.2",
                              "--poll-interval", "1m30s", "--web.listen-address=127.0.0.9:80"})
            .options;
    EXPECT_EQ(o.units, (std::vector<std::string>{"127.0.0.2", "127.0.0.3"}));
    EXPECT_EQ(o.pollInterval, milliseconds(90000));
    EXPECT_EQ(o.listenAddress, "127.0.0.9:80");

    // Durations as Prometheus writes them.
    const struct {
        const char* text;
        long long ms; // -1: refused
    } durations[] = {
        {"5s", 5000}, {"500ms", 500}, {"1m30s", 90000}, {"1w1ms", 604800001},
        {"0", 0},     {"", -1},       {"5", -1},        {"30s1m", -1},
        {"1m1m", -1}, {"1.5s", -1},   {"-1s", -1},      {"99999999999999d", -1},
    };
    for (const auto& c : durations) {
        const auto d = ParseDuration(c.text);
        EXPECT_EQ(d ? d->count() : -1, c.ms) << c.text;
    }
    // The longest duration taken: 2^52 ms.
    EXPECT_EQ(ParseDuration("142808y75d16h29m30s496ms"), milliseconds(std::int64_t{1} << 52));
    EXPECT_EQ(ParseDuration("142808y75d16h29m30s497ms"), std::nullopt);

    // A unit file: lines, or the application's configuration.
    TempFolder folder;
    WriteFile(folder / "units", "# site A\n127.0.0.2\n  127.0.0.3  # rack 2\r\n\n");
    EXPECT_EQ(ReadUnitList(folder / "units").units,
              (std::vector<std::string>{"127.0.0.2", "127.0.0.3"}));

    WriteFile(folder / "bad", "127.0.0.2\nrack-2\n");
    EXPECT_EQ(ReadUnitList(folder / "bad").error,
              folder / "bad" + ":2: not a unit's IPv4 address: \"rack-2\"");
    EXPECT_NE(ReadUnitList(folder / "missing").error, "");

    // The direct-launch addresses, as many as the launch count; a blank one is 0.0.0.0.
    WriteFile(folder / "Tm80M1System.CFG",
              "[TM80M1]\r\nLAUNCH_DIRECT=0\r\nNUMBER_OF_LAUNCH_DEVICES=3\r\n"
              "DEVICE_DIRECT_IP_ADDRESS_0=127.0.0.2\r\nDEVICE_DIRECT_IP_ADDRESS_1=0.0.0.0\r\n"
              "DEVICE_DIRECT_IP_ADDRESS_2=127.0.0.4\r\nDEVICE_DIRECT_IP_ADDRESS_3=127.0.0.5\r\n");
    const UnitList configured = ReadUnitList(folder / "Tm80M1System.CFG");
    EXPECT_EQ(configured.error, "");
    EXPECT_EQ(configured.units, (std::vector<std::string>{"127.0.0.2", "127.0.0.4"}));
}

namespace {

constexpr int kPort = 9380;

// A simulated unit and an exporter reading it, each on an address of the test's own.
struct Rig {
    explicit Rig(sim::UnitConfig config = {})
        : unit(simtest::StartUnit(38, simtest::CurrentTestName(), config)) {}

    bool StartExporter(milliseconds pollInterval) {
        ExporterOptions options;
        options.units = {unit->Config().address};
        options.pollInterval = pollInterval;
        for (int attempt = 0; attempt < 20; ++attempt) {
            address = simtest::TestAddress(39, simtest::CurrentTestName(), attempt);
            options.listenAddress = address + ":" + std::to_string(kPort);
            exporter = std::make_unique<Exporter>(options, [this](const std::string& line) {
                std::lock_guard lock(logMutex);
                logLines.push_back(line);
            });
            if (exporter->Start()) {
                return true;
            }
        }
        return false;
    }
    // The unit's series `name`, with `labels` after its own.
    double Scraped(const std::string& name, const std::string& labels = "") const {
        const std::string series = name + "{unit=\"" + unit->Config().address + "\"" + labels + "}";
        const auto all = montest::Series(montest::HttpGet(address, kPort, "/metrics").body);
        return all.contains(series) ? all.at(series) : -1;
    }
    double Failures(const std::string& reason) const {
        return Scraped("tm80_exchange_failures_total", ",reason=\"" + reason + "\"");
    }
    bool WaitUp(double up) const {
        return montest::WaitFor([&] { return Scraped("tm80_up") == up; }, 10s);
    }

    std::unique_ptr<sim::SimUnit> unit;
    std::string address;
    std::unique_ptr<Exporter> exporter;
    std::mutex logMutex;
    std::vector<std::string> logLines;
};

} // namespace

TEST(Exporter, ReadsOnlyAndRequestsNeverReachTheUnit) {
    Rig rig;
    ASSERT_NE(rig.unit, nullptr);
    rig.unit->SetStatus(41, 120, 15);
    ASSERT_TRUE(rig.StartExporter(1h));
    ASSERT_TRUE(rig.WaitUp(1));
    EXPECT_EQ(rig.Scraped("tm80_supply_voltage_volts"), 12); // temperature and power end to end

    const std::size_t frames = rig.unit->Frames().size();
    const struct {
        std::string request;
        int status; // 0: closed unanswered, as CivetWeb does with what it cannot place
        const char* body = nullptr;
    } cases[] = {
        {"HEAD /metrics HTTP/1.0\r\n\r\n", 200, ""},
        {"GET /-/healthy HTTP/1.0\r\n\r\n", 200, "Healthy\n"},
        {"GET / HTTP/1.0\r\n\r\n", 200,
         "<!DOCTYPE html>\n<html><head><title>TM80 Exporter</title></head>\n<body><h1>TM80 "
         "Exporter</h1>\n<p><a href=\"/metrics\">Metrics</a></p></body></html>\n"},
        {std::string("\x00\x01\xFF\xFE\r\n\r\n", 8), 400},
        {"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 400}, // TLS
        {"GET /metrics\r\n\r\n", 400},
        {"GET /metrics HTTP/9.9\r\n\r\n", 505},
        {"GET /" + std::string(20000, 'a') + " HTTP/1.1\r\n\r\n", 400},
        {"GET /metrics HTTP/1.1\r\nX: " + std::string(40000, 'a') + "\r\n\r\n", 400},
        {"GET /metrics HTTP/1.1\r\nNoColon\r\n\r\n", 400},
        {"PUT /metrics HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", 405},
        {"DELETE / HTTP/1.1\r\n\r\n", 405},
        {"CONNECT 127.0.0.2:5000 HTTP/1.1\r\n\r\n", 400},
        {"get /metrics HTTP/1.1\r\n\r\n", 400},
        {"GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\n\r\n", 404},
        {"GET /x/../metrics HTTP/1.1\r\n\r\n", 404},
        {"GET /metrics%00 HTTP/1.1\r\n\r\n", 404},
        {"GET http://example.org/metrics HTTP/1.1\r\n\r\n", 0},
        {"OPTIONS * HTTP/1.1\r\n\r\n", 0}};
    for (const auto& c : cases) {
        const montest::HttpReply reply = montest::HttpExchange(rig.address, kPort, c.request);
        EXPECT_EQ(reply.status, c.status) << c.request.substr(0, 40);
        EXPECT_EQ(c.body == nullptr || reply.body == c.body, true) << reply.body;
    }
    // Still serving: scrapes side by side on the server's threads (under
    // ThreadSanitizer, sharing nothing unguarded).
    std::atomic<int> answered{0};
    {
        std::vector<std::jthread> clients;
        for (int client = 0; client < 4; ++client) {
            clients.emplace_back([&] {
                for (int scrape = 0; scrape < 25; ++scrape) {
                    answered += rig.Scraped("tm80_up") == 1 ? 1 : 0;
                }
            });
        }
    }
    EXPECT_EQ(answered, 100);
    // Identity, status, block, adjustments, split and bands, and the note read
    // with mode 0 (0x80 would write it).
    const auto log = rig.unit->Frames();
    EXPECT_EQ(log.size(), frames) << "a request made the exporter talk to the unit";
    for (const sim::ReceivedFrame& f : log) {
        EXPECT_TRUE(f.command == 0x2001 || f.command == 0x2002 || f.command == 0x2009 ||
                    f.command == 0x4000 || f.command == 0x4004 || simtest::IsNoteRead(f))
            << std::hex << "command 0x" << f.command;
    }
    // A stop wakes the server's listener rather than waiting out its 2 s poll,
    // which a scrape just before has started afresh.
    EXPECT_EQ(rig.Scraped("tm80_up"), 1);
    const auto stop = Clock::now();
    rig.exporter->Stop();
    EXPECT_LT(Clock::now() - stop, 1500ms); // about 90 ms; the poll would take 2 s
}

TEST(Exporter, AUnitThatCannotBeReadIsDownWithItsReasonAndComesBack) {
    const auto interval = 300ms;
    Rig rig({.singleClient = true});
    ASSERT_NE(rig.unit, nullptr);
    // The window holds the unit's one connection when the exporter starts.
    auto window = std::make_unique<TCPCom>(rig.unit->Config().address.c_str());
    ASSERT_TRUE(window->IsConnected());
    ASSERT_TRUE(rig.StartExporter(interval));
    ASSERT_TRUE(montest::WaitFor([&] { return rig.Failures("busy") >= 2; }, 10s));
    EXPECT_EQ(rig.Scraped("tm80_up"), 0);
    EXPECT_EQ(rig.unit->Frames().size(), 0u);
    window.reset();

    for (const auto& [reason, fault] :
         {std::pair{"timeout", sim::Fault::Silent}, std::pair{"closed", sim::Fault::Reset}}) {
        SCOPED_TRACE(reason);
        ASSERT_TRUE(rig.WaitUp(1));
        const double before = rig.Failures(reason);
        const auto start = Clock::now();
        rig.unit->SetFault(fault);
        // Down, and the failure counted, within the next read's budget (a
        // silent unit's last success grows stale even before that).
        ASSERT_TRUE(montest::WaitFor([&] { return rig.Failures(reason) > before; }, 10s));
        EXPECT_LT(Clock::now() - start, interval + 1000ms + 2000ms) << "allowing for load";
        EXPECT_EQ(rig.Scraped("tm80_up"), 0);
        EXPECT_EQ(rig.Scraped("tm80_temperature_celsius"), -1) << "no reading shown";
        // A scrape answers at once while the unit keeps failing.
        const auto scrape = Clock::now();
        EXPECT_EQ(montest::HttpGet(rig.address, kPort, "/metrics").status, 200);
        EXPECT_LT(Clock::now() - scrape, 500ms);
        rig.unit->SetFault(sim::Fault::None);
    }
    EXPECT_TRUE(rig.WaitUp(1));
    // The journal has one line per change, with the reason.
    const std::string u = "unit " + rig.unit->Config().address;
    std::lock_guard lock(rig.logMutex);
    ASSERT_EQ(rig.logLines.size(), 7u);
    // Busy, or closed when the unit took the connect before it saw the window's.
    EXPECT_TRUE(rig.logLines[1].starts_with(u + " is down (")) << rig.logLines[1];
    EXPECT_EQ(std::vector(rig.logLines.begin() + 2, rig.logLines.end()),
              (std::vector<std::string>{u + " is up", u + " is down (timeout)", u + " is up",
                                        u + " is down (closed)", u + " is up"}));
}
