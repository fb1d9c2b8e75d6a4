// tm80ctl watch against a simulated unit: the count, JSON Lines, alarms for
// heat and for a unit that goes silent, Ctrl-C, and its usage errors.
#include "tests/sim/SimTestUnit.h"
#include "tools/Tm80Ctl.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct WatchRun {
    int status;
    std::vector<std::string> lines;
    std::string err;
};

class WatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        unit = simtest::StartUnit(45, simtest::CurrentTestName());
        ASSERT_NE(unit, nullptr);
        unit->SetStatus(41, 120, 15);
    }

    WatchRun Watch(std::vector<std::string> args) {
        args.insert(args.begin(), {unit->Config().address, "watch"});
        std::ostringstream out, err;
        WatchRun run{RunTm80Ctl(args, out, err), {}, err.str()};
        std::istringstream lines(out.str());
        for (std::string line; std::getline(lines, line);) {
            run.lines.push_back(line);
        }
        return run;
    }

    std::unique_ptr<sim::SimUnit> unit;
};

bool Alarmed(const std::string& line) {
    return line.find("ALARM") != std::string::npos;
}

TEST_F(WatchTest, CountedReadingsAsTextAndAsJsonLines) {
    WatchRun text = Watch({"--interval", "200", "--count", "2"});
    EXPECT_EQ(text.status, 0) << text.err;
    ASSERT_EQ(text.lines.size(), 2u);
    EXPECT_NE(text.lines[0].find("41 C   12.0 V   1.5 A    18.0 W"), std::string::npos)
        << text.lines[0];
    EXPECT_FALSE(Alarmed(text.lines[1]));

    WatchRun json = Watch({"--json", "--count", "3", "--interval", "200"});
    EXPECT_EQ(json.status, 0) << json.err;
    ASSERT_EQ(json.lines.size(), 3u);
    for (const std::string& line : json.lines) {
        QJsonParseError error{};
        const QJsonObject o =
            QJsonDocument::fromJson(QByteArray::fromStdString(line), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        EXPECT_EQ(o.keys(), (QStringList{"alarm", "current_a", "ok", "power_w", "temperature_c",
                                         "time", "voltage_v"}));
        EXPECT_TRUE(o["ok"].toBool());
        EXPECT_FALSE(o["alarm"].toBool());
        EXPECT_EQ(o["temperature_c"].toInt(), 41);
        EXPECT_DOUBLE_EQ(o["power_w"].toDouble(), 18.0);
        EXPECT_EQ(o["time"].toString().size(), 25) << line; // 2026-05-17T14:03:22+02:00
    }
}

TEST_F(WatchTest, CsvHasTheJsonKeysForColumns) {
    WatchRun run = Watch({"--csv", "--count", "2", "--interval", "200"});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.lines[0], "time,ok,temperature_c,voltage_v,current_a,power_w,alarm");
    for (std::size_t i = 1; i < run.lines.size(); ++i) {
        const std::string& line = run.lines[i];
        EXPECT_EQ(line.find(','), 25u) << line; // 2026-05-17T14:03:22+02:00
        EXPECT_EQ(line.substr(25), ",true,41,12.0,1.5,18.0,false") << line;
    }
}

TEST_F(WatchTest, AboveEightyDegreesIsAnAlarm) {
    for (int temperature : {80, 81, 200 /* -56 as the unit's signed byte */}) {
        unit->SetStatus(temperature, 120, 15);
        WatchRun run = Watch({"--count", "1"});
        EXPECT_EQ(run.status, 0);
        ASSERT_EQ(run.lines.size(), 1u);
        EXPECT_EQ(Alarmed(run.lines[0]), temperature == 81) << run.lines[0];
    }
}

TEST_F(WatchTest, AUnitGoingSilentGivesAlarmsAndStatusOne) {
    std::thread silence([&] {
        if (unit->WaitForFrames(1, 5000)) {
            unit->SetFault(sim::Fault::Silent);
        }
    });
    WatchRun run = Watch({"--json", "--interval", "200", "--count", "3"});
    silence.join();
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_NE(run.lines[0].find("\"ok\":true"), std::string::npos) << run.lines[0];
    for (std::size_t i = 1; i < run.lines.size(); ++i) {
        EXPECT_NE(run.lines[i].find("\"ok\":false,\"temperature_c\":null"), std::string::npos)
            << run.lines[i];
    }
    EXPECT_NE(run.lines[2].find("\"alarm\":true"), std::string::npos);
    EXPECT_NE(run.err.find("stopped answering"), std::string::npos);
}

TEST_F(WatchTest, CtrlCEndsTheWatchWithTheConnectionClosed) {
    std::thread interrupt([&] {
        if (unit->WaitForFrames(2, 5000)) {
            ::kill(::getpid(), SIGINT);
        }
    });
    WatchRun run = Watch({"--interval", "200"});
    interrupt.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GE(run.lines.size(), 2u);
    for (int i = 0; i < 100 && unit->OpenConnections() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(unit->OpenConnections(), 0);
    struct sigaction now {};
    ::sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL); // given back
}

TEST_F(WatchTest, UsageErrorsSendNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {"watch", "--interval", "199"}, {"watch", "--interval"},    {"watch", "--count", "0"},
        {"watch", "--count", "x"},      {"status", "--count", "1"}, {"watch", "now"},
        {"watch", "--csv", "--json"},   {"status", "--csv"},
    };
    for (const auto& words : cases) {
        std::vector<std::string> args = {unit->Config().address};
        args.insert(args.end(), words.begin(), words.end());
        std::ostringstream out, err;
        EXPECT_EQ(RunTm80Ctl(args, out, err), 2) << words[1];
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_EQ(unit->Connections(), 0);
}

} // namespace
