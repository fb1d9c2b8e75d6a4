// tm80_exporter's flags, durations and unit files.
#include "exporter/ExporterOptions.h"
#include "exporter/UnitList.h"
#include "tests/infra/TempFolder.h"

#include <gtest/gtest.h>

using Action = ExporterCommand::Action;
using std::chrono::milliseconds;

TEST(ExporterOptions, Flags) {
    struct Case {
        std::vector<std::string> args;
        Action action;
        const char* error; // a part of the usage error
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
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
}

TEST(ExporterOptions, PrometheusDurations) {
    struct Case {
        const char* text;
        long long ms; // -1: refused
    };
    const Case cases[] = {
        {"5s", 5000}, {"500ms", 500}, {"1m30s", 90000}, {"1w1ms", 604800001},
        {"0", 0},     {"", -1},       {"5", -1},        {"30s1m", -1},
        {"1m1m", -1}, {"1.5s", -1},   {"-1s", -1},      {"99999999999999d", -1},
    };
    for (const Case& c : cases) {
        const auto d = ParseDuration(c.text);
        EXPECT_EQ(d ? d->count() : -1, c.ms) << c.text;
    }
}

TEST(UnitList, LinesOrTheApplicationsConfiguration) {
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
