// tm80ctl against simulated units: exit statuses, usage errors that send
// nothing, the printouts and the JSON, and that each command does what it
// says to the unit.
#include "tools/Tm80Ctl.h"
#include "tests/sim/SimTestUnit.h"
#include "tools/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct CtlRun {
    int status;
    std::string out;
    std::string err;
};

QStringList Keys(const QJsonObject& object) {
    QStringList keys = object.keys();
    keys.sort();
    return keys;
}

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::UnitConfig config;
        config.note = "Rack 4";
        unit = simtest::StartUnit(43, simtest::CurrentTestName(), config);
        ASSERT_NE(unit, nullptr);
        address = unit->Config().address;
    }

    CtlRun Ctl(std::vector<std::string> args) {
        std::replace(args.begin(), args.end(), std::string("@"), address);
        std::ostringstream out, err;
        int status = RunTm80Ctl(args, out, err);
        return {status, out.str(), err.str()};
    }

    // The one line of JSON a successful run printed.
    static QJsonObject Parse(const CtlRun& run) {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << "one line";
        QJsonParseError error;
        QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out;
        return document.object();
    }
    QJsonObject Json(const std::vector<std::string>& args) { return Parse(Ctl(args)); }

    std::unique_ptr<sim::SimUnit> unit;
    std::string address;
};

TEST_F(CtlTest, HelpDocumentsEveryCommand) {
    CtlRun run = Ctl({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* text :
         {"note [TEXT]", "split 1:8|2:4", "band OUTPUT POSITION", "adjust CHANNEL STEPS",
          "cal BAND SPLIT CHANNEL VALUE", "cal-band SPLIT BAND", "factory-reset BAND",
          "discover [--broadcast ADDRESS] [--trace]", "gains_db",
          "with\n                            discover, the discovery's trace",
          "serial (\"00AB 1001\"), note, mac", "save-setup FILE", "recall-setup FILE",
          "discover could not send its\nsearch", "Exit status"}) {
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
        {"@", "adjust", "10", "0"},
        {"@", "adjust", "3"},
        {"@", "adjust", "3", "1.5"},
        {"@", "band", "0", "0"},
        {"@", "band", "1", "8"},
        {"@", "split", "1"}, // numbers only where a calibration split is asked for
        {"@", "note", "seventeen chars!!"},
        {"@", "note", "a", "b"},
        {"@", "cal", "8", "0", "0", "50"},
        {"@", "cal", "0", "2", "0", "50"},
        {"@", "cal", "0", "0", "10", "50"},
        {"@", "cal-band", "0", "8"},
        {"@", "cal-band", "3:1", "0"},
        {"@", "factory-reset", "8"},
        {"@", "factory-reset"},
    };
    for (const auto& args : cases) {
        CtlRun run = Ctl(args);
        SCOPED_TRACE(args.empty() ? "(none)" : args.back());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        // The error and where to read more, not the whole help.
        EXPECT_EQ(run.err.rfind("tm80ctl: ", 0), 0u);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
        EXPECT_NE(run.err.find("\nRun 'tm80ctl --help'"), std::string::npos) << run.err;
    }
    EXPECT_EQ(unit->Connections(), 0);
}

TEST_F(CtlTest, UnreachableUnitAndFailedExchange) {
    std::string nobody = simtest::TestAddress(43, simtest::CurrentTestName(), 1000);
    CtlRun refused = Ctl({nobody, "info"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Connection could not be made with " + nobody + "\n");

    unit->SetFault(sim::Fault::Silent);
    CtlRun silent = Ctl({"--json", "@", "status"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_EQ(silent.out, "");
    EXPECT_EQ(silent.err, "Exchange with " + address + " failed: reading the status\n");
}

TEST_F(CtlTest, InfoJsonHasTheUnitsPicture) {
    unit->SetAdjustment(1, -4);
    CtlRun run = Ctl({"--json", "@", "info"});
    QJsonObject info = Parse(run);
    EXPECT_EQ(Keys(info),
              (QStringList{"adjustments", "band_selection", "bands", "firmware", "gains_db",
                           "model", "monitoring", "note", "product", "serial", "split"}));
    EXPECT_EQ(info["serial"].toString(), "00AB-17");
    EXPECT_EQ(info["firmware"].toString(), "01020304");
    EXPECT_EQ(info["product"].toString(), "TM80M1 8-OUTPUT RF MULTICOUPLER 1435-5150 MHZ");
    EXPECT_EQ(info["note"].toString(), "Rack 4");
    EXPECT_TRUE(info["monitoring"].toBool());
    EXPECT_EQ(info["split"].toString(), "1:8");

    QJsonArray bands = info["bands"].toArray();
    ASSERT_EQ(bands.size(), 5);
    EXPECT_EQ(bands[0].toObject()["name"].toString(), "LL");
    EXPECT_EQ(bands[0].toObject()["lower_hz"].toInteger(), 1435000000);
    EXPECT_EQ(bands[4].toObject()["position"].toInt(), 4);
    EXPECT_EQ(bands[4].toObject()["upper_hz"].toInteger(), 5150000000);

    QJsonArray selection = info["band_selection"].toArray();
    ASSERT_EQ(selection.size(), 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(selection[k].toInt(), unit->BandSelection()[k]);
    }
    EXPECT_EQ(info["adjustments"].toArray()[1].toInt(), -4);

    QJsonArray gains = info["gains_db"].toArray();
    ASSERT_EQ(gains.size(), 8);
    for (int b = 0; b < 8; ++b) {
        ASSERT_EQ(gains[b].toArray().size(), 10);
        for (int c = 0; c < 10; ++c) {
            double expected =
                (unit->Reference(b, c) - unit->Calibration(b, c) - (c == 1 ? -4 : 0)) * 0.25 + 3.0;
            EXPECT_DOUBLE_EQ(gains[b].toArray()[c].toDouble(), expected);
        }
    }
    // Gains are printed with two decimals.
    EXPECT_NE(run.out.find("\"gains_db\":[[10.00,"), std::string::npos) << run.out;
}

TEST_F(CtlTest, InfoReadsOnly) {
    CtlRun run = Ctl({"@", "info"});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const auto& frame : unit->Frames()) {
        const std::vector<int> reads = {0x1003, 0x2001, 0x2009, 0x4000, 0x4004};
        EXPECT_NE(std::find(reads.begin(), reads.end(), frame.command), reads.end())
            << std::hex << frame.command;
        if (frame.command == 0x1003) {
            EXPECT_EQ(frame.bytes[6], 0x00) << "note read, not written";
        }
    }
    EXPECT_EQ(unit->LedFlashes(), 0);
    for (const char* text :
         {"Serial        00AB-17", "Note          Rack 4", "Split         1:8",
          "  0  LL: 1435 - 1535", "  4  C2: 5091 - 5150", "Adjustment          0"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
}

TEST_F(CtlTest, StatusWithPower) {
    unit->SetStatus(45, 120, 15);
    EXPECT_EQ(Ctl({"--json", "@", "status"}).out,
              "{\"temperature_c\":45,\"voltage_v\":12.0,\"current_a\":1.5,\"power_w\":18.00}\n");
    EXPECT_EQ(Ctl({"@", "status"}).out, "Temperature   45 C\nVoltage       12.0 V\n"
                                        "Current       1.5 A\nPower         18.00 W\n");
}

TEST_F(CtlTest, NoteReadWriteAndEscaping) {
    EXPECT_EQ(Json({"--json", "@", "note"})["note"].toString(), "Rack 4");

    CtlRun write = Ctl({"@", "note", "--", "-Roof \"east\""});
    EXPECT_EQ(write.status, 0);
    EXPECT_EQ(write.out, "-Roof \"east\"\n");
    EXPECT_EQ(unit->Note(), "-Roof \"east\"");

    // A faulty unit's note cannot drive the terminal: escaped in text; JSON
    // gives the same bytes back, each as one \u00XX character.
    std::string odd = "a\\b\x1B[2J\xE9";
    unit->SetNote(odd);
    EXPECT_EQ(Ctl({"@", "note"}).out, "a\\b\\x1B[2J\\xE9\n");
    EXPECT_NE(Ctl({"@", "info"}).out.find("Note          a\\b\\x1B[2J\\xE9\n"), std::string::npos);
    EXPECT_EQ(Json({"@", "note", "--json"})["note"].toString(), QString::fromLatin1(odd));
}

TEST_F(CtlTest, BandPositionBeyondTheUnitsBandsIsAUsageError) {
    const std::vector<int> bands = unit->BandSelection();
    CtlRun run = Ctl({"@", "band", "2", "5"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("tm80ctl: POSITION 5 is not offered: " + address +
                                " has 5 bands (positions 0..4)\n",
                            0),
              0u)
        << run.err;
    // Only the band list was read; nothing was written.
    for (const auto& frame : unit->Frames()) {
        EXPECT_TRUE(frame.command == 0x2009 || frame.command == 0x1003)
            << std::hex << frame.command;
    }
    EXPECT_EQ(unit->BandSelection(), bands);
    EXPECT_EQ(Ctl({"@", "band", "2", "4"}).status, 0);
}

TEST_F(CtlTest, SettingCommandsReachTheUnit) {
    std::vector<int> bands = unit->BandSelection();
    EXPECT_EQ(Ctl({"@", "split", "2:4"}).status, 0);
    EXPECT_EQ(unit->Split(), 1);
    EXPECT_EQ(unit->BandSelection(), bands);

    QJsonObject band = Json({"--json", "@", "band", "8", "3"});
    bands[7] = 3;
    EXPECT_EQ(unit->BandSelection(), bands);
    EXPECT_EQ(unit->Split(), 1);
    EXPECT_EQ(Keys(band), (QStringList{"band_selection", "split"}));
    EXPECT_EQ(band["split"].toString(), "2:4");

    EXPECT_EQ(Json({"--json", "@", "adjust", "3", "20"})["steps"].toInt(), 12);
    EXPECT_EQ(unit->Adjustments()[3], 12);
    EXPECT_EQ(Ctl({"@", "adjust", "9", "-1000"}).out, "Channel 9 adjustment -8 steps (-2.00 dB)\n");
    EXPECT_EQ(unit->Adjustments()[9], -8);

    EXPECT_EQ(Ctl({"@", "cal", "2", "2:4", "0", "200"}).status, 0);
    EXPECT_EQ(unit->Calibration(2, 0), 115);
    EXPECT_EQ(Json({"--json", "@", "cal", "2", "0", "8", "3"})["value"].toInt(), 8);
    EXPECT_EQ(unit->Calibration(2, 8), 8);

    QJsonObject calBand = Json({"--json", "@", "cal-band", "1", "5"});
    EXPECT_EQ(calBand["band"].toInt(), 5);
    EXPECT_EQ(calBand["split"].toString(), "2:4");
    EXPECT_EQ(unit->CalibrationBand(), 5);

    EXPECT_EQ(Ctl({"@", "factory-reset", "2"}).status, 0);
    EXPECT_NE(unit->Calibration(2, 0), 115);

    EXPECT_EQ(Ctl({"@", "flash"}).status, 0);
    EXPECT_EQ(unit->LedFlashes(), 1);
}

TEST(JsonWriter, EscapesAndNests) {
    JsonWriter json;
    json.BeginObject().Key("a\"").BeginArray().Integer(-3).Fixed(-0.001, 2).Bool(false);
    json.BeginObject().EndObject().EndArray().Key("t").String("x\n\x7F\xFF").EndObject();
    EXPECT_EQ(json.Text(), R"({"a\"":[-3,0.00,false,{}],"t":"x\u000A\u007F\u00FF"})");
}

} // namespace
