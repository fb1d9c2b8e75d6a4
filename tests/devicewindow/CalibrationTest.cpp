// The calibration page behind its tab, driven as an operator would and
// checked against what reached the simulated unit; its setup-file section.
#include "infra/ProfileStore.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"
#include "tests/infra/TempFolder.h"

#include <QTest>
#include <QWidget>

#include <cstdlib>

namespace {

using namespace dwtest;
using Bytes = std::vector<std::uint8_t>;

class CalibrationTest : public DeviceWindowTest {
protected:
    CalibrationTest() : DeviceWindowTest(77) {}

    void SetUp() override {
        DeviceWindowTest::SetUp();
        unit = &StartUnit({.note = "Mast 7"});
        DefaultDlg& w = Window(AddUnit(*unit));
        page = dynamic_cast<Calibration*>(w.GetPage(DefaultDlg::kCalibrationPage));
        ASSERT_NE(page, nullptr);
        w.ShowNormal();
        w.ShowCalibrationTab(true);
        Settle();
        win::CRect r;
        ASSERT_TRUE(w.GetTabStrip().GetItemRect(DefaultDlg::kCalibrationPage, &r));
        QTest::mouseClick(w.GetTabStrip().GetNative(), Qt::LeftButton, Qt::NoModifier,
                          QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        Settle();
        ASSERT_TRUE(page->IsWindowVisible());
        unit->ClearFrames();
    }

    std::vector<Bytes> Sent(std::uint16_t command, std::size_t count) {
        WaitUntil([&] { return Payloads(*unit, command).size() >= count; }, 3000);
        Settle();
        return Payloads(*unit, command);
    }
    void Click(const win::CWnd& control, QPoint at = QPoint(2, 2)) {
        QTest::mouseClick(control.GetNative(), Qt::LeftButton, Qt::NoModifier, at);
        Settle();
    }
    // The texts of the "Factory Reset" boxes shown so far.
    std::vector<std::string> ResetBoxes() const {
        std::vector<std::string> texts;
        for (const auto& shown : dialogs->History()) {
            if (shown.message.caption == Calibration::kResetCaption) {
                texts.push_back(shown.message.text);
            }
        }
        return texts;
    }

    sim::SimUnit* unit = nullptr;
    Calibration* page = nullptr;
};

TEST_F(CalibrationTest, BandSplitAndSliderEndsReachTheUnit) {
    UnitSlot& slot = Slot(0);
    // The band choice: cancel keeps band 0, a choice sends nothing.
    AnswerBandChoice(-1);
    Click(page->BandText());
    EXPECT_EQ(page->GetCalBand(), 0);
    AnswerBandChoice(2);
    Click(page->BandText());
    EXPECT_EQ(page->GetCalBand(), 2);
    EXPECT_EQ(page->BandText().GetWindowText(), slot.bandTexts[2]);
    Settle();
    EXPECT_TRUE(Payloads(*unit, 0x3001).empty());
    EXPECT_TRUE(Payloads(*unit, 0x3000).empty());

    // The split goes out with the band the unit reported, not the page's.
    slot.Unit()->calibration.calibrationBand = 3;
    Click(page->Columns().Split24());
    EXPECT_EQ(Sent(0x3001, 1), (std::vector<Bytes>{{0x39}}));
    EXPECT_EQ(unit->CalibrationBand(), 3);
    EXPECT_EQ(unit->CalibrationSplit(), 1);
    EXPECT_EQ(page->GetCalSplitMode(), 1);
    EXPECT_EQ(page->Columns().Split24().GetCheck(), win::BST_CHECKED);

    // Left end: value 115; right end: value 12, for band 2 with split 1.
    QWidget* slider = page->Columns().Slider(1).GetNative();
    const struct {
        int x;
        std::uint8_t value;
    } ends[] = {{0, 115}, {slider->width() - 1, 12}};
    for (const auto& end : ends) {
        unit->ClearFrames();
        Click(page->Columns().Slider(1), QPoint(end.x, 4));
        ASSERT_EQ(Sent(0x3000, 1), (std::vector<Bytes>{{0, end.value, 0x21}})) << end.x;
        EXPECT_EQ(unit->Calibration(2, 0), end.value);
        EXPECT_EQ(slot.calibrationTable[2][0], end.value);
        const double gain =
            (slot.referenceTable[2][0] - end.value - slot.adjustments[0]) * 0.25 + 3;
        EXPECT_DOUBLE_EQ(std::atof(page->Columns().Gain(1).GetWindowText().c_str()), gain);
    }
}

TEST_F(CalibrationTest, FactoryResetAsksAndSaysWhetherItWorked) {
    // The question names the band to be reset.
    char ask[256];
    std::snprintf(ask, sizeof ask, Calibration::kResetQuestion, BandTextOf(Slot(0), 1).c_str());
    const std::string done = Calibration::kResetDone, failed = Calibration::kResetFailed;
    // A reset that fails reads nothing back, and the page keeps its tables.
    const struct {
        const char* name;
        int answer;
        bool silent;
        std::size_t resets, blockReads;
        std::vector<std::string> boxes;
    } cases[] = {
        {"cancelled", win::IDCANCEL, false, 0, 0, {ask}},
        {"confirmed", win::IDOK, false, 1, 4, {ask, done}},
        {"unit silent", win::IDOK, true, 1, 0, {ask, failed}},
    };
    UnitSlot& slot = Slot(0);
    AnswerBandChoice(1);
    Click(page->BandText());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unit->SetCalibration(1, 4, 90);
        slot.calibrationTable[1][4] = 90;
        unit->ClearFrames();
        dialogs->ClearHistory();
        dialogs->AnswerMessageBox(c.answer);
        unit->SetFault(c.silent ? sim::Fault::Silent : sim::Fault::None);
        // The click runs the whole reset before it returns.
        QTest::mouseClick(page->GetDlgItem(Calibration::kIdReset)->GetNative(), Qt::LeftButton);
        unit->SetFault(sim::Fault::None);
        Settle();
        EXPECT_EQ(ResetBoxes(), c.boxes);
        // The request names the band; the tables are then read whole.
        EXPECT_EQ(Payloads(*unit, 0x3002), std::vector<Bytes>(c.resets, Bytes{0x10}));
        EXPECT_EQ(Payloads(*unit, 0x2009).size(), c.blockReads);
        if (c.resets != 0 && !c.silent) {
            EXPECT_NE(slot.calibrationTable[1][4], 90);
            EXPECT_EQ(slot.calibrationTable[1][4], unit->Calibration(1, 4));
        } else {
            EXPECT_EQ(slot.calibrationTable[1][4], 90);
            EXPECT_NE(slot.referenceTable[1][4], 0);
        }
    }
}

TEST_F(CalibrationTest, SetupSectionAndSendSettings) {
    TempFolder folder;
    const std::string file = folder / "Mast.stp";
    const struct {
        const char* name;
        const char* section; // the file's CALIBRATION section
        int band;
        int split;
        std::size_t writes; // of SendSettings
    } cases[] = {
        {"both keys", "SPLIT_MODE=1\nCAL_BAND_SELECTION=3\n", 3, 1, 10},
        {"no keys", "", 0, 0, 10},
        {"band out of range", "SPLIT_MODE=0\nCAL_BAND_SELECTION=9\n", 0, 0, 10},
        {"split 2 writes nothing", "SPLIT_MODE=2\nCAL_BAND_SELECTION=1\n", 1, 2, 0},
    };
    UnitSlot& slot = Slot(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(file, std::string("[CALIBRATION]\n") + c.section);
        page->LoadSettings(file.c_str());
        EXPECT_EQ(page->GetCalBand(), c.band);
        EXPECT_EQ(page->GetCalSplitMode(), c.split);
        page->UpdateValues();
        EXPECT_EQ(page->Columns().Split18().GetCheck(), c.split == 0 ? 1 : 0);
        EXPECT_EQ(page->Columns().Split24().GetCheck(), c.split == 1 ? 1 : 0);

        // Values from outside 12..115 are shown where the slider stops and
        // sent clamped.
        slot.calibrationTable[c.band][0] = 200;
        slot.calibrationTable[c.band][1] = 5;
        page->UpdateValues();
        EXPECT_EQ(page->Columns().Slider(1).GetPos(), 0);
        EXPECT_EQ(page->Columns().Slider(2).GetPos(), Calibration::kSliderMax);
        unit->ClearFrames();
        page->SendSettings();
        const auto sent = Sent(0x3000, c.writes);
        ASSERT_EQ(sent.size(), c.writes);
        for (std::size_t ch = 0; ch < sent.size(); ++ch) {
            const std::uint8_t expected = ch == 0   ? 115
                                          : ch == 1 ? 12
                                                    : slot.calibrationTable[c.band][ch];
            EXPECT_EQ(sent[ch], (Bytes{static_cast<std::uint8_t>(ch), expected,
                                       static_cast<std::uint8_t>(c.band * 16 + c.split)}))
                << ch;
        }
    }

    // Saved as loaded.
    page->SaveSettings(file.c_str());
    std::int32_t split = -1, band = -1;
    EXPECT_TRUE(ReadProfileInt(file, "CALIBRATION", "SPLIT_MODE", split));
    EXPECT_TRUE(ReadProfileInt(file, "CALIBRATION", "CAL_BAND_SELECTION", band));
    EXPECT_EQ(split, 2);
    EXPECT_EQ(band, 1);
}

} // namespace
