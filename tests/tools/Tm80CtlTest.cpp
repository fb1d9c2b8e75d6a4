// tm80ctl against simulated units: exit statuses, usage errors that send
// nothing, the printouts and the JSON, what each command does to the unit,
// watch, and setups saved on one unit and recalled on another.
#include "tools/Tm80Ctl.h"
#include "device/CTM80M1_Comm.h"
#include "tests/infra/TempFolder.h"
#include "tests/sim/SimTestUnit.h"
#include "tools/CtlArguments.h"
#include "tools/CtlReport.h"
#include "tools/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sstream>
#include <thread>

namespace {

using Args = std::vector<std::string>;
constexpr auto npos = std::string::npos;

// The parts of `text` between `separator`s; '' stands for an empty part.
Args Split(const std::string& text, char separator) {
    Args parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part == "''" ? "" : part);
    }
    return parts;
}

struct CtlRun {
    int status;
    std::string out;
    std::string err;
    bool operator==(const CtlRun&) const = default;
};

void PrintTo(const CtlRun& run, std::ostream* os) {
    *os << run.status << ", out \"" << run.out << "\", err \"" << run.err << "\"";
}

QJsonObject JsonOf(const std::string& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
    return document.object();
}

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        unit = simtest::StartUnit(43, simtest::CurrentTestName(), {.note = "Rack 4"});
        ASSERT_NE(unit, nullptr);
        address = unit->Config().address;
        unit->SetStatus(41, 120, 15);
    }

    // "@" stands for the unit's address.
    CtlRun Run(Args args) {
        std::replace(args.begin(), args.end(), std::string("@"), address);
        std::ostringstream out, err;
        const int status = RunTm80Ctl(args, out, err);
        return {status, out.str(), err.str()};
    }
    CtlRun Ctl(const std::string& line) { return Run(Split(line, ' ')); }
    // What a successful run printed.
    std::string Out(const std::string& line) {
        const CtlRun run = Ctl(line);
        EXPECT_EQ(std::pair(run.status, run.err), std::pair(0, std::string())) << line;
        return run.out;
    }

    std::unique_ptr<sim::SimUnit> unit;
    std::string address;
    TempFolder dir;
};

TEST_F(CtlTest, HelpAndUsageErrorsSendNothing) {
    const CtlRun help = Ctl("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* text :
         {"note [TEXT]", "split 1:8|2:4", "band OUTPUT POSITION", "adjust CHANNEL STEPS",
          "cal BAND SPLIT CHANNEL VALUE", "cal-band SPLIT BAND", "factory-reset BAND",
          "discover [--broadcast ADDRESS] [--trace]", "gains_db",
          "with\n                            discover, the discovery's trace",
          "serial (\"00AB 1001\"), note, mac", "save-setup FILE", "recall-setup FILE",
          "discover could not send its\nsearch", "Exit status"}) {
        EXPECT_NE(help.out.find(text), npos) << text;
    }
    // Usage errors, between semicolons; a calibration split alone takes numbers.
    for (const std::string& line :
         Split(";@;@ reboot;127.43.1 info;localhost info;@ info extra;@ info --verbose;"
               "@ adjust 10 0;@ adjust 3;@ adjust 3 1.5;@ band 0 0;@ band 1 8;@ split 1;"
               "@ note seventeen_chars!!;@ note a b;@ cal 8 0 0 50;@ cal 0 2 0 50;"
               "@ cal 0 0 10 50;@ cal-band 0 8;@ cal-band 3:1 0;@ factory-reset 8;"
               "@ factory-reset;@ watch --interval 199;@ watch --interval;@ watch --count 0;"
               "@ watch --count x;@ status --count 1;@ watch now;@ watch --csv --json;"
               "@ status --csv;@ save-setup;@ recall-setup a b;@ recall-setup ''",
               ';')) {
        const CtlRun run = Ctl(line);
        SCOPED_TRACE(line);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        // The error and where to read more, not the whole help.
        EXPECT_EQ(run.err.rfind("tm80ctl: ", 0), 0u);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
        EXPECT_NE(run.err.find("\nRun 'tm80ctl --help'"), npos) << run.err;
    }
    EXPECT_EQ(unit->Connections(), 0);
}

TEST_F(CtlTest, InfoReadsOnlyAndShowsTheUnitsPicture) {
    unit->SetAdjustment(1, -4);
    const std::string text = Out("@ info");
    for (const char* lines :
         {"Serial        00AB-17\nFirmware      01020304\n"
          "Product       TM80M1 8-OUTPUT RF MULTICOUPLER 1435-5150 MHZ\nNote          Rack 4\n"
          "Monitoring    yes\nSplit         1:8\n\nBands\n  0  LL: 1435 - 1535\n"
          "  1  UL: 1750 - 1850\n  2  S: 2200 - 2395\n  3  C1: 4400 - 4940\n  4  C2: 5091 - "
          "5150\n\n",
          "Band             0 LL   1 UL    2 S   3 C1   4 C2   0 LL   1 UL    2 S\n"
          "Adjustment          0     -4      0      0",
          "\n  0 LL          10.00  11.25  10.50"}) {
        EXPECT_NE(text.find(lines), npos) << lines << "\n" << text;
    }

    const std::string json = Out("--json @ info");
    EXPECT_TRUE(json.starts_with(
        R"({"model":"80M1","serial":"00AB-17","firmware":"01020304","product":"TM80M1 )"
        R"(8-OUTPUT RF MULTICOUPLER 1435-5150 MHZ","note":"Rack 4","monitoring":true,)"
        R"("bands":[{"position":0,"name":"LL","lower_hz":1435000000,"upper_hz":1535000000},)"
        R"({"position":1,"name":"UL","lower_hz":1750000000,"upper_hz":1850000000},)"
        R"({"position":2,"name":"S","lower_hz":2200000000,"upper_hz":2395000000},)"
        R"({"position":3,"name":"C1","lower_hz":4400000000,"upper_hz":4940000000},)"
        R"({"position":4,"name":"C2","lower_hz":5091000000,"upper_hz":5150000000}],)"
        R"("split":"1:8","band_selection":[0,1,2,3,4,0,1,2],)"
        R"("adjustments":[0,-4,0,0,0,0,0,0,0,0],"gains_db":[[10.00,11.25,)"))
        << json;
    EXPECT_EQ(JsonOf(json)["gains_db"].toArray().size(), 8) << "a row per band";
    // A faulty unit's note cannot drive the terminal: escaped in text; JSON
    // gives the same bytes back, each as one \u00XX character.
    unit->SetNote("a\\b\x1B[2J\xE9\x1F \x7F~");
    EXPECT_EQ(Out("@ note"), "a\\b\\x1B[2J\\xE9\\x1F \\x7F~\n");
    EXPECT_NE(Out("@ info").find("Note          a\\b\\x1B[2J\\xE9\\x1F \\x7F~\n"), npos);
    EXPECT_EQ(Out("@ note --json"), "{\"note\":\"a\\\\b\\u001B[2J\\u00E9\\u001F \\u007F~\"}\n");
    // Reads only: the note with mode 0 (0x80 would write it), no LED flashed.
    for (const auto& frame : unit->Frames()) {
        const int command = frame.command;
        EXPECT_TRUE(command == 0x2001 || command == 0x2009 || command == 0x4000 ||
                    command == 0x4004 || simtest::IsNoteRead(frame))
            << std::hex << command;
    }
    EXPECT_EQ(unit->LedFlashes(), 0);
}

TEST_F(CtlTest, SettingCommandsReachTheUnit) {
    std::vector<int> bands = unit->BandSelection();
    // A band position beyond the unit's bands: only the band list is read.
    const CtlRun beyond = Ctl("@ band 2 5");
    EXPECT_EQ(beyond.status, 2);
    EXPECT_TRUE(beyond.err.starts_with("tm80ctl: POSITION 5 is not offered: " + address +
                                       " has 5 bands (positions 0..4)\n"))
        << beyond.err;
    for (const auto& frame : unit->Frames()) {
        EXPECT_TRUE(frame.command == 0x2009 || frame.command == 0x1003) << frame.command;
    }
    EXPECT_EQ(unit->BandSelection(), bands);
    Out("@ band 2 4");
    bands[1] = 4;

    Out("@ split 2:4");
    EXPECT_EQ(unit->Split(), 1);
    EXPECT_EQ(unit->BandSelection(), bands);
    EXPECT_EQ(Out("--json @ band 8 3"),
              "{\"split\":\"2:4\",\"band_selection\":[0,4,2,3,4,0,1,3]}\n");
    bands[7] = 3;
    EXPECT_EQ(unit->BandSelection(), bands);
    EXPECT_EQ(unit->Split(), 1);

    // Steps saturate to the unit's range.
    EXPECT_EQ(Out("--json @ adjust 3 20"), "{\"channel\":3,\"steps\":12}\n");
    EXPECT_EQ(unit->Adjustments()[3], 12);
    EXPECT_EQ(Out("@ adjust 9 -1000"), "Channel 9 adjustment -8 steps (-2.00 dB)\n");
    EXPECT_EQ(unit->Adjustments()[9], -8);

    Out("@ cal 2 2:4 0 200");
    EXPECT_EQ(unit->Calibration(2, 0), 115);
    EXPECT_EQ(Out("--json @ cal 2 0 8 3"),
              "{\"band\":2,\"split\":\"1:8\",\"channel\":8,\"value\":8}\n");
    EXPECT_EQ(unit->Calibration(2, 8), 8);
    EXPECT_EQ(Out("--json @ cal-band 1 5"), "{\"band\":5,\"split\":\"2:4\"}\n");
    EXPECT_EQ(unit->CalibrationBand(), 5);
    Out("@ factory-reset 2");
    EXPECT_NE(unit->Calibration(2, 0), 115);

    Out("@ flash");
    EXPECT_EQ(unit->LedFlashes(), 1);
}

// discover hands on the words after it, without itself; info lists the band
// entries that have both edges, however small, or "none"; JSON is escaped.
TEST(CtlParts, DiscoverArgumentsBandListAndJson) {
    CtlArguments parsed;
    EXPECT_EQ(CtlArguments::Parse({"discover", "--broadcast", "127.1.2.255"}, parsed), "");
    EXPECT_EQ(parsed.discoverArgs, (Args{"--broadcast", "127.1.2.255"}));

    UnitSlot slot{0, nullptr, std::make_unique<CTM80M1_Comm>(nullptr)};
    EXPECT_NE(ctlreport::InfoText(slot).find("\nBands\n  none\n\nChannel"), npos);
    slot.bandCount = 1;
    slot.bandEntries[0] = {1, 1, 6, "X"};
    slot.bandTexts[0] = "X: 0 - 0";
    slot.bandEntries[1] = {1, 0, 7, "Y"};
    slot.bandEntries[2] = {0, 1, 7, "Y"};
    const std::string text = ctlreport::InfoText(slot);
    EXPECT_NE(text.find("\nBands\n  6  X: 0 - 0\n\nChannel"), npos) << text;

    JsonWriter json;
    json.BeginObject().Key("a\"").BeginArray().Integer(-3).Fixed(-0.001, 2).Bool(false);
    json.BeginObject().EndObject().EndArray().Key("t").String("x\n\x7F\xFF").EndObject();
    EXPECT_EQ(json.Text(), R"({"a\"":[-3,0.00,false,{}],"t":"x\u000A\u007F\u00FF"})");
}

TEST_F(CtlTest, WatchCountedReadingsAsTextJsonLinesAndCsvAndTheirAlarm) {
    const std::string text = Out("@ watch --interval 200 --count 2");
    ASSERT_EQ(Split(text, '\n').size(), 2u);
    EXPECT_NE(Split(text, '\n')[0].find("41 C   12.0 V   1.5 A    18.0 W"), npos) << text;
    EXPECT_EQ(text.find("ALARM"), npos);

    const Args json = Split(Out("--json @ watch --count 3 --interval 200"), '\n');
    ASSERT_EQ(json.size(), 3u);
    for (const std::string& line : json) {
        EXPECT_EQ(JsonOf(line)["time"].toString().size(), 25) << line; // 2026-05-17T14:03:22+02:00
        EXPECT_EQ(line.substr(34), R"(","ok":true,"temperature_c":41,"voltage_v":12.0,)"
                                   R"("current_a":1.5,"power_w":18.0,"alarm":false})");
    }

    // CSV: its header, then a row per reading.
    EXPECT_EQ(Split(Out("@ watch --csv --count 2 --interval 200"), '\n').size(), 3u);
    // Above eighty degrees is an alarm.
    for (int temperature : {80, 81, 200 /* -56 as the unit's signed byte */}) {
        unit->SetStatus(temperature, 120, 15);
        const std::string out = Out("@ watch --count 1");
        ASSERT_EQ(Split(out, '\n').size(), 1u);
        EXPECT_EQ(out.find("ALARM") != npos, temperature == 81) << out;
    }
}

TEST_F(CtlTest, WatchCtrlCEndsTheWatchWithTheConnectionClosed) {
    std::thread interrupt([&] {
        if (unit->WaitForFrames(2, 5000)) {
            ::kill(::getpid(), SIGINT);
        }
    });
    const std::string out = Out("@ watch --interval 200");
    interrupt.join();
    EXPECT_GE(Split(out, '\n').size(), 2u);
    for (int i = 0; i < 100 && unit->OpenConnections() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(unit->OpenConnections(), 0);
    struct sigaction now {};
    ::sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL); // given back
}

TEST_F(CtlTest, SetupSavedOnOneUnitRecalledOnAnother) {
    auto to = simtest::StartUnit(44, simtest::CurrentTestName(), {.note = "TO"});
    ASSERT_TRUE(to);
    unit->SetAdjustment(2, -3);
    unit->SetAdjustment(9, 5);
    unit->SetCalibration(0, 4, 77);
    const std::string file = dir / "unit.TM80";

    const std::string save = Out("@ save-setup " + file);
    EXPECT_TRUE(save.starts_with("Setup of " + address + " saved to " + file + "\n")) << save;
    EXPECT_EQ(unit->LedFlashes(), 0);

    const QJsonObject json =
        JsonOf(Out("--json " + to->Config().address + " recall-setup " + file));
    EXPECT_EQ(json["file"].toString().toStdString(), file);
    EXPECT_EQ(json["adjustments"].toArray()[2].toInt(), -3);
    EXPECT_EQ(json["calibration"].toObject()["values"].toArray()[4].toInt(), 77);
    EXPECT_EQ(json["calibration"].toObject()["split"].toString(), "1:8");

    // From the open control command on: control 04 80, split and bands, ten
    // adjustments, ten calibration values of band 0.
    std::vector<std::vector<std::uint8_t>> frames;
    for (const auto& frame : to->Frames()) {
        if (frame.command == 0x1001 || !frames.empty()) {
            frames.push_back(frame.bytes);
        }
    }
    ASSERT_EQ(frames.size(), 22u);
    EXPECT_EQ(frames[0],
              (std::vector<std::uint8_t>{0x16, 0, 0x01, 0x10, 6, 0, 0x04, 0x80, 0, 0, 0, 0}));
    EXPECT_EQ(frames[1][2], 0x04);
    for (int c = 0; c < 10; ++c) {
        const auto& adjust = frames[2 + c];
        const auto& calibrate = frames[12 + c]; // band 0, split 1:8
        EXPECT_EQ(std::tuple(adjust[3], adjust[6]), std::tuple(0x10, c));
        EXPECT_EQ(std::tuple(calibrate[2], calibrate[3], calibrate[6], calibrate[8]),
                  std::tuple(0x00, 0x30, c, 0x00));
    }
    EXPECT_EQ(to->Adjustments(), unit->Adjustments());
    EXPECT_EQ(to->Calibration(0, 4), 77);
    EXPECT_EQ(to->BandSelection(), unit->BandSelection());
    EXPECT_EQ(to->Note(), "TO");
}

// Out-of-range values reach the unit and the printout clamped, never
// wrapped; a calibration split other than 0 or 1 sends no calibration values
// and is no failure. Files that are no setup send nothing.
TEST_F(CtlTest, SetupOddValuesClampedAndFilesThatAreNoSetupSendNothing) {
    const std::string file = dir / "odd.TM80";
    WriteFile(file, "[DEVICE]\r\n1_ATT_ADJ=-130\r\n9_ATT_ADJ=100\r\n0_0_ATT_SETTING=300\r\n"
                    "[CALIBRATION]\r\nSPLIT_MODE=2\r\n");
    std::string values; // the unit's own after the first
    for (int c = 1; c < 10; ++c) {
        values += ' '; // not " " + ...: GCC 12 at -O3 warns wrongly about the temporary
        values += std::to_string(unit->Calibration(0, c));
    }
    EXPECT_EQ(Out("@ recall-setup " + file),
              "Setup " + file + " sent to " + address +
                  "\nSplit            1:8\n"
                  "Band per output  0 1 2 3 4 0 1 2\nAdjustments      0 -12 0 0 0 0 0 0 0 8\n"
                  "Calibration      band 0, split 2: 115" +
                  values +
                  "\n"
                  "Calibration values not sent: SPLIT_MODE is neither 0 (1:8) nor 1 (2:4).\n");
    std::replace(values.begin(), values.end(), ' ', ',');
    EXPECT_EQ(
        Out("--json @ recall-setup " + file),
        "{\"file\":\"" + file +
            "\",\"split\":\"1:8\",\"band_selection\":[0,1,2,3,4,0,1,2],"
            "\"adjustments\":[0,-12,0,0,0,0,0,0,0,8],\"calibration\":{\"band\":0,\"split\":\"2\","
            "\"sent\":false,\"values\":[115" +
            values + "]}}\n");
    for (const auto& frame : unit->Frames()) {
        EXPECT_NE(frame.command, 0x3000) << "a calibration value was sent";
    }

    // No setup, and no save to an unusable file.
    WriteFile(dir / "notes.ini", "[NOTES]\r\nDEVICE=1\r\n");
    for (const std::string& other : {dir / "notes.ini", dir / "missing.TM80"}) {
        EXPECT_EQ(Ctl("@ recall-setup " + other),
                  (CtlRun{1, "", other + " holds no TM80 setup.\n"}));
    }
    const std::string absent = dir / "absent/x.TM80";
    EXPECT_EQ(Ctl("@ save-setup " + absent),
              (CtlRun{1, "", "Setup could not be written to " + absent + "\n"}));
}

} // namespace
