// tm80ctl against simulated units: exit statuses, usage errors that send
// nothing, the printouts and the JSON keys, and that each command does what
// it says to the unit.
#include "tools/Tm80Ctl.h"
#include "sim/SimUnit.h"
#include "tests/tools/MiniJson.h"
#include "tools/JsonWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A loopback address 127.43.x.y picked from the test's name.
std::string TestAddress(int attempt) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::size_t h = std::hash<std::string>{}(std::string(info->test_suite_name()) + info->name()) +
                    static_cast<std::size_t>(attempt) * 7919;
    return "127.43." + std::to_string((h >> 8) % 250 + 1) + "." + std::to_string(h % 253 + 2);
}

struct CtlRun {
    int status;
    std::string out;
    std::string err;
};

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int attempt = 0; attempt < 50 && unit == nullptr; ++attempt) {
            sim::UnitConfig config;
            config.address = TestAddress(attempt);
            config.note = "Rack 4";
            auto candidate = std::make_unique<sim::SimUnit>(config);
            if (candidate->Start()) {
                unit = std::move(candidate);
            }
        }
        ASSERT_NE(unit, nullptr);
        address = unit->Config().address;
    }

    CtlRun Ctl(std::vector<std::string> args) {
        for (auto& arg : args) {
            if (arg == "@") {
                arg = address;
            }
        }
        std::ostringstream out, err;
        int status = RunTm80Ctl(args, out, err);
        return {status, out.str(), err.str()};
    }

    minijson::Value Json(const CtlRun& run) {
        EXPECT_EQ(run.status, 0) << run.err;
        auto value = minijson::Parse(run.out);
        EXPECT_TRUE(value.has_value()) << run.out;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << "one line";
        return value.value_or(minijson::Value{});
    }

    std::unique_ptr<sim::SimUnit> unit;
    std::string address;
};

TEST_F(CtlTest, HelpDocumentsEveryCommand) {
    CtlRun run = Ctl({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const char* text :
         {"info", "status", "note [TEXT]", "flash", "split 1:8|2:4", "band OUTPUT POSITION",
          "adjust CHANNEL STEPS", "cal BAND SPLIT CHANNEL VALUE", "cal-band SPLIT BAND",
          "factory-reset BAND", "discover [--broadcast ADDRESS]",
          "runs one discovery and prints name, address, serial,", "--json", "temperature_c",
          "gains_db", "Exit status"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(unit->Connections(), 0);
}

TEST_F(CtlTest, UsageErrorsSendNothing) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"@"},
        {"@", "reboot"},
        {"127.43.1", "info"},
        {"localhost", "info"},
        {"@", "info", "extra"},
        {"@", "info", "--verbose"},
        {"--json"},
        {"@", "adjust", "10", "0"},
        {"@", "adjust", "-1", "0"},
        {"@", "adjust", "3"},
        {"@", "adjust", "3", "1.5"},
        {"@", "band", "9", "0"},
        {"@", "band", "0", "0"},
        {"@", "band", "1", "8"},
        {"@", "split", "1:4"},
        {"@", "split", "1"}, // numbers only where a calibration split is asked for
        {"@", "note", "seventeen chars!!"},
        {"@", "note", "a", "b"},
        {"@", "cal", "8", "0", "0", "50"},
        {"@", "cal", "0", "2", "0", "50"},
        {"@", "cal", "0", "0", "10", "50"},
        {"@", "cal", "0", "0", "0"},
        {"@", "cal-band", "0", "8"},
        {"@", "cal-band", "3:1", "0"},
        {"@", "factory-reset", "8"},
        {"@", "factory-reset"},
    };
    for (const auto& args : cases) {
        CtlRun run = Ctl(args);
        std::string joined;
        for (const auto& a : args) {
            joined += a + " ";
        }
        EXPECT_EQ(run.status, 2) << joined;
        EXPECT_EQ(run.out, "") << joined;
        EXPECT_EQ(run.err.rfind("tm80ctl: ", 0), 0u) << joined;
        EXPECT_NE(run.err.find("usage: tm80ctl"), std::string::npos) << joined;
    }
    EXPECT_EQ(unit->Connections(), 0);
}

TEST_F(CtlTest, UnreachableUnitAndFailedExchange) {
    std::string nobody = TestAddress(1000);
    CtlRun refused = Ctl({nobody, "info"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "Connection could not be made with " + nobody + "\n");

    unit->SetFault(sim::Fault::Silent);
    CtlRun silent = Ctl({"--json", "@", "status"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.out, "");
    EXPECT_EQ(silent.err, "Exchange with " + address + " failed: reading the status\n");
}

TEST_F(CtlTest, InfoJsonHasTheUnitsPicture) {
    unit->SetAdjustment(1, -4);
    minijson::Value info = Json(Ctl({"--json", "@", "info"}));
    EXPECT_EQ(info.Keys(), (std::vector<std::string>{"model", "serial", "firmware", "product",
                                                     "note", "monitoring", "bands", "split",
                                                     "band_selection", "adjustments", "gains_db"}));
    EXPECT_EQ(info.Find("model")->text, "80M1");
    EXPECT_EQ(info.Find("serial")->text, "00AB-17");
    EXPECT_EQ(info.Find("firmware")->text, "01020304");
    EXPECT_EQ(info.Find("note")->text, "Rack 4");
    EXPECT_TRUE(info.Find("monitoring")->boolean);
    EXPECT_EQ(info.Find("split")->text, "1:8");

    const auto& bands = info.Find("bands")->items;
    ASSERT_EQ(bands.size(), 5u);
    EXPECT_EQ(bands[0].Keys(),
              (std::vector<std::string>{"position", "name", "lower_hz", "upper_hz"}));
    EXPECT_EQ(bands[0].Find("name")->text, "LL");
    EXPECT_EQ(bands[0].Find("lower_hz")->text, "1435000000");
    EXPECT_EQ(bands[4].Find("position")->number, 4);
    EXPECT_EQ(bands[4].Find("upper_hz")->text, "5150000000");

    const auto& selection = info.Find("band_selection")->items;
    ASSERT_EQ(selection.size(), 8u);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(selection[k].number, unit->BandSelection()[k]);
    }
    const auto& adjustments = info.Find("adjustments")->items;
    ASSERT_EQ(adjustments.size(), 10u);
    EXPECT_EQ(adjustments[1].number, -4);

    const auto& gains = info.Find("gains_db")->items;
    ASSERT_EQ(gains.size(), 8u);
    for (int b = 0; b < 8; ++b) {
        ASSERT_EQ(gains[b].items.size(), 10u);
        for (int c = 0; c < 10; ++c) {
            int adjustment = c == 1 ? -4 : 0;
            double expected =
                (unit->Reference(b, c) - unit->Calibration(b, c) - adjustment) * 0.25 + 3.0;
            EXPECT_DOUBLE_EQ(gains[b].items[c].number, expected);
            EXPECT_EQ(gains[b].items[c].text.size() - gains[b].items[c].text.find('.'), 3u);
        }
    }
}

TEST_F(CtlTest, InfoReadsOnly) {
    CtlRun run = Ctl({"@", "info"});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const auto& frame : unit->Frames()) {
        EXPECT_TRUE(frame.command == 0x1003 || frame.command == 0x2001 || frame.command == 0x2009 ||
                    frame.command == 0x4000 || frame.command == 0x4004)
            << std::hex << frame.command;
        if (frame.command == 0x1003) {
            EXPECT_EQ(frame.bytes[6], 0x00) << "note read, not written";
        }
    }
    EXPECT_EQ(unit->LedFlashes(), 0);
    for (const char* text : {"Serial        00AB-17", "Firmware      01020304",
                             "Note          Rack 4", "Split         1:8", "  0  LL: 1435 - 1535",
                             "  4  C2: 5091 - 5150", "Adjustment          0"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

TEST_F(CtlTest, StatusWithPower) {
    unit->SetStatus(45, 120, 15);
    minijson::Value status = Json(Ctl({"--json", "@", "status"}));
    EXPECT_EQ(status.Keys(),
              (std::vector<std::string>{"temperature_c", "voltage_v", "current_a", "power_w"}));
    EXPECT_EQ(status.Find("temperature_c")->text, "45");
    EXPECT_EQ(status.Find("voltage_v")->text, "12.0");
    EXPECT_EQ(status.Find("current_a")->text, "1.5");
    EXPECT_EQ(status.Find("power_w")->text, "18.00");

    CtlRun text = Ctl({"@", "status"});
    EXPECT_EQ(text.out, "Temperature   45 C\nVoltage       12.0 V\nCurrent       1.5 A\n"
                        "Power         18.00 W\n");
}

TEST_F(CtlTest, NoteReadWriteAndEscaping) {
    minijson::Value read = Json(Ctl({"--json", "@", "note"}));
    EXPECT_EQ(read.Keys(), std::vector<std::string>{"note"});
    EXPECT_EQ(read.Find("note")->text, "Rack 4");

    CtlRun write = Ctl({"@", "note", "--", "-Roof \"east\""});
    EXPECT_EQ(write.status, 0);
    EXPECT_EQ(write.out, "-Roof \"east\"\n");
    EXPECT_EQ(unit->Note(), "-Roof \"east\"");

    std::string odd = "a\\b\x01\xE9";
    unit->SetNote(odd);
    minijson::Value escaped = Json(Ctl({"@", "note", "--json"}));
    EXPECT_EQ(escaped.Find("note")->text, odd);
}

TEST_F(CtlTest, SettingCommandsReachTheUnit) {
    std::vector<int> bands = unit->BandSelection();

    EXPECT_EQ(Ctl({"@", "split", "2:4"}).status, 0);
    EXPECT_EQ(unit->Split(), 1);
    EXPECT_EQ(unit->BandSelection(), bands);

    minijson::Value band = Json(Ctl({"--json", "@", "band", "8", "3"}));
    bands[7] = 3;
    EXPECT_EQ(unit->BandSelection(), bands);
    EXPECT_EQ(unit->Split(), 1);
    EXPECT_EQ(band.Keys(), (std::vector<std::string>{"split", "band_selection"}));
    EXPECT_EQ(band.Find("split")->text, "2:4");

    minijson::Value adjust = Json(Ctl({"--json", "@", "adjust", "3", "20"}));
    EXPECT_EQ(unit->Adjustments()[3], 12);
    EXPECT_EQ(adjust.Find("steps")->number, 12);
    EXPECT_EQ(Ctl({"@", "adjust", "9", "-1000"}).out, "Channel 9 adjustment -8 steps (-2.00 dB)\n");
    EXPECT_EQ(unit->Adjustments()[9], -8);

    EXPECT_EQ(Ctl({"@", "cal", "2", "2:4", "0", "200"}).status, 0);
    EXPECT_EQ(unit->Calibration(2, 0), 115);
    minijson::Value cal = Json(Ctl({"--json", "@", "cal", "2", "0", "8", "3"}));
    EXPECT_EQ(unit->Calibration(2, 8), 8);
    EXPECT_EQ(cal.Find("value")->number, 8);

    minijson::Value calBand = Json(Ctl({"--json", "@", "cal-band", "1", "5"}));
    EXPECT_EQ(calBand.Keys(), (std::vector<std::string>{"band", "split"}));
    EXPECT_EQ(calBand.Find("band")->number, 5);
    EXPECT_EQ(calBand.Find("split")->text, "2:4");
    EXPECT_EQ(unit->CalibrationBand(), 5);

    EXPECT_EQ(Ctl({"@", "factory-reset", "2"}).status, 0);
    EXPECT_NE(unit->Calibration(2, 0), 115);

    CtlRun flash = Ctl({"@", "flash"});
    EXPECT_EQ(flash.status, 0);
    EXPECT_EQ(unit->LedFlashes(), 1);
}

TEST(JsonWriter, EscapesAndNests) {
    JsonWriter json;
    json.BeginObject().Key("a\"").BeginArray().Integer(-3).Fixed(-0.001, 2).Bool(false);
    json.BeginObject().EndObject().EndArray().Key("t").String("x\n\x7F\xFF").EndObject();
    EXPECT_EQ(json.Text(), R"({"a\"":[-3,0.00,false,{}],"t":"x\u000A\u007F\u00FF"})");
}

} // namespace
