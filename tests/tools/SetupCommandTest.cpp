// tm80ctl save-setup and recall-setup between two simulated units: the file,
// the frames of the recall in their order, the printouts, and files that are
// no setup.
#include "tests/infra/TempFolder.h"
#include "tests/sim/SimTestUnit.h"
#include "tools/Tm80Ctl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <sstream>

namespace {

struct CtlRun {
    int status;
    std::string out;
    std::string err;
};

CtlRun Ctl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunTm80Ctl(args, out, err);
    return {status, out.str(), err.str()};
}

// The frames from the open control command on: what a recall sends after
// reading the unit.
std::vector<std::vector<std::uint8_t>> RecallFrames(const sim::SimUnit& unit) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (const auto& frame : unit.Frames()) {
        if (frame.command == 0x1001 || !frames.empty()) {
            frames.push_back(frame.bytes);
        }
    }
    return frames;
}

TEST(CtlSetup, SavedOnOneUnitRecalledOnAnother) {
    auto from = simtest::StartUnit(44, simtest::CurrentTestName(), {.note = "FROM"});
    auto to = simtest::StartUnit(45, simtest::CurrentTestName(), {.note = "TO"});
    ASSERT_TRUE(from && to);
    from->SetAdjustment(2, -3);
    from->SetAdjustment(9, 5);
    from->SetCalibration(0, 4, 77);
    TempFolder dir;
    const std::string file = dir / "unit.TM80";

    const CtlRun save = Ctl({from->Config().address, "save-setup", file});
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_EQ(save.out.rfind("Setup of " + from->Config().address + " saved to " + file + "\n", 0),
              0u)
        << save.out;
    EXPECT_EQ(from->LedFlashes(), 0);
    const std::string bytes = ReadFile(file);
    EXPECT_EQ(bytes.rfind("[DEVICE]\r\n0_0_ATT_SETTING=", 0), 0u);
    EXPECT_NE(bytes.find("\r\n2_ATT_ADJ=-3\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n0_4_ATT_SETTING=77\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("[CALIBRATION]\r\nSPLIT_MODE=0\r\nCAL_BAND_SELECTION=0\r\n"),
              std::string::npos);

    const CtlRun recall = Ctl({"--json", to->Config().address, "recall-setup", file});
    ASSERT_EQ(recall.status, 0) << recall.err;
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(recall.out)).object();
    EXPECT_EQ(json["file"].toString().toStdString(), file);
    EXPECT_EQ(json["adjustments"].toArray()[2].toInt(), -3);
    EXPECT_EQ(json["calibration"].toObject()["values"].toArray()[4].toInt(), 77);
    EXPECT_EQ(json["calibration"].toObject()["split"].toString(), "1:8");

    // Control 04 80, split and bands, ten adjustments, ten calibration values of band 0.
    const auto frames = RecallFrames(*to);
    ASSERT_EQ(frames.size(), 22u);
    EXPECT_EQ(frames[0],
              (std::vector<std::uint8_t>{0x16, 0, 0x01, 0x10, 6, 0, 0x04, 0x80, 0, 0, 0, 0}));
    EXPECT_EQ(frames[1][2], 0x04);
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(frames[2 + c][3], 0x10);
        EXPECT_EQ(frames[2 + c][6], c);
        EXPECT_EQ(frames[12 + c][2], 0x00);
        EXPECT_EQ(frames[12 + c][3], 0x30);
        EXPECT_EQ(frames[12 + c][6], c);
        EXPECT_EQ(frames[12 + c][8], 0x00); // band 0, split 1:8
    }
    EXPECT_EQ(to->Adjustments(), from->Adjustments());
    EXPECT_EQ(to->Calibration(0, 4), 77);
    EXPECT_EQ(to->BandSelection(), from->BandSelection());
    EXPECT_EQ(to->Note(), "TO");
}

// Out-of-range values reach the unit and the printout clamped, never
// wrapped; a calibration split other than 0 or 1 sends no calibration values
// and is no failure.
TEST(CtlSetup, OutOfRangeValuesClampedAndSplitTwoSendsNoCalibration) {
    auto unit = simtest::StartUnit(47, simtest::CurrentTestName());
    ASSERT_TRUE(unit);
    TempFolder dir;
    const std::string file = dir / "odd.TM80";
    WriteFile(file, "[DEVICE]\r\n1_ATT_ADJ=-130\r\n9_ATT_ADJ=100\r\n0_0_ATT_SETTING=300\r\n"
                    "[CALIBRATION]\r\nSPLIT_MODE=2\r\n");
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json);
        unit->ClearFrames();
        std::vector<std::string> args = {unit->Config().address, "recall-setup", file};
        if (json) {
            args.insert(args.begin(), "--json");
        }
        const CtlRun run = Ctl(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(unit->Adjustments()[1], -12);
        EXPECT_EQ(unit->Adjustments()[9], 8);
        for (const auto& frame : unit->Frames()) {
            EXPECT_NE(frame.command, 0x3000) << "a calibration value was sent";
        }
        if (json) {
            const QJsonObject out =
                QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
            EXPECT_EQ(out["adjustments"].toArray()[1].toInt(), -12);
            EXPECT_EQ(out["calibration"].toObject()["values"].toArray()[0].toInt(), 115);
            EXPECT_FALSE(out["calibration"].toObject()["sent"].toBool(true));
        } else {
            EXPECT_NE(run.out.find("Adjustments      0 -12 "), std::string::npos) << run.out;
            EXPECT_NE(run.out.find("split 2: 115 "), std::string::npos) << run.out;
            EXPECT_NE(run.out.find("\nCalibration values not sent: SPLIT_MODE is neither 0 "
                                   "(1:8) nor 1 (2:4).\n"),
                      std::string::npos)
                << run.out;
        }
    }
}

TEST(CtlSetup, FilesThatAreNoSetupSendNothing) {
    auto unit = simtest::StartUnit(46, simtest::CurrentTestName());
    ASSERT_TRUE(unit);
    TempFolder dir;
    WriteFile(dir / "notes.ini", "[NOTES]\r\nDEVICE=1\r\n");
    for (const std::string& file : {dir / "notes.ini", dir / "missing.TM80"}) {
        const CtlRun run = Ctl({unit->Config().address, "recall-setup", file});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, file + " holds no TM80 setup.\n");
    }
    EXPECT_EQ(unit->Connections(), 0);

    const CtlRun unwritable = Ctl({unit->Config().address, "save-setup", dir / "absent/x.TM80"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_EQ(unwritable.err, "Setup could not be written to " + dir / "absent/x.TM80" + "\n");

    for (const auto& args :
         std::vector<std::vector<std::string>>{{unit->Config().address, "save-setup"},
                                               {unit->Config().address, "recall-setup", "a", "b"},
                                               {unit->Config().address, "recall-setup", ""}}) {
        EXPECT_EQ(Ctl(args).status, 2);
    }
}

} // namespace
