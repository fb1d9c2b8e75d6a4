// The primary setup and calibration pages driven as an operator would,
// checked against what reached the simulated unit.
#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

using namespace dwtest;

double Number(const win::CWnd& text) {
    return std::atof(text.GetWindowText().c_str());
}

// A unit opened with its window showing page `P` (its tab added first where
// it has to be); from here the unit's frames and the main-window refreshes
// the page asks for are counted.
template <class P, int octet, int pageIndex> class PageTest : public On<octet> {
protected:
    void SetUp() override {
        DeviceWindowTest::SetUp();
        unit = &this->StartUnit({.note = "Mast 7"});
        page = &Page<P>(this->AddUnit(*unit), pageIndex);
        if (pageIndex == DefaultDlg::kCalibrationPage) {
            Window(0).ShowCalibrationTab(true);
        }
        this->ShowAt(0, pageIndex);
        ASSERT_TRUE(page->IsWindowVisible());
        unit->ClearFrames();
        this->host.refreshes = 0;
    }
    sim::SimUnit* unit = nullptr;
    P* page = nullptr;
};

using PrimarySetupTest = PageTest<PrimarySetupDlg, 76, DefaultDlg::kPrimarySetupPage>;

TEST_F(PrimarySetupTest, SliderSendsTheNegatedPositionAndBandChoiceEveryBand) {
    QWidget* slider = page->Columns().Slider(3).GetNative();
    const double before = Number(page->Columns().Gain(3));
    QTest::keyClick(slider, Qt::Key_Right);
    ASSERT_EQ(Sent(*unit, 0x1000, 1), (std::vector<Bytes>{{2, 0xFF}}));
    EXPECT_EQ(Slot(0).adjustments[2], -1);
    EXPECT_EQ(unit->Adjustments()[2], -1);
    EXPECT_DOUBLE_EQ(Number(page->Columns().Gain(3)), before + 0.25);
    // The ends of the slider: adjustments 12 and -12, 3 dB either side of 0.
    const int right = slider->width() - 1;
    for (const auto& [x, sent, gain] : {std::tuple{0, 12, -3.0}, std::tuple{right, 0xF4, 3.0}}) {
        unit->ClearFrames();
        Click(page->Columns().Slider(3), QPoint(x, 4));
        const Bytes expected = {2, static_cast<std::uint8_t>(sent)};
        ASSERT_EQ(Sent(*unit, 0x1000, 1), std::vector<Bytes>{expected}) << x;
        EXPECT_DOUBLE_EQ(Number(page->Columns().Gain(3)), before + gain);
    }
    EXPECT_EQ(host.refreshes + host.stateRefreshes, 0); // the main window is not refreshed

    // A band choice sends every band; cancel sends nothing.
    UnitSlot& slot = Slot(0);
    const std::array<int, 8> bands = slot.bandSelection;
    const auto offered = AnswerBandChoice(-1);
    Click(page->BandText(2));
    EXPECT_EQ(offered->items, std::vector<std::string>(slot.bandTexts.begin(),
                                                       slot.bandTexts.begin() + slot.bandCount));
    EXPECT_EQ(offered->selected, bands[1]);
    EXPECT_EQ(offered->prompt, "Select Band for Out 2A:");
    EXPECT_EQ(slot.bandSelection, bands);
    EXPECT_TRUE(Payloads(*unit, 0x1004).empty());
    EXPECT_EQ(host.refreshes, 0);

    AnswerBandChoice(3);
    Click(page->BandText(2));
    Bytes expected = {0, 0};
    for (int k = 0; k < 8; ++k) {
        expected.push_back(static_cast<std::uint8_t>((k == 1 ? 3 : bands[k]) * 16));
    }
    ASSERT_EQ(Sent(*unit, 0x1004, 1), std::vector<Bytes>{expected});
    EXPECT_EQ(unit->BandSelection()[1], 3);
    EXPECT_EQ(page->BandText(2).GetWindowText(), slot.bandTexts[3]);
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(host.stateRefreshes, 0);

    // A unit that tells of no bands offers none.
    slot.bandCount = 0;
    const auto none = AnswerBandChoice(-1);
    Click(page->BandText(2));
    EXPECT_EQ(none->items, std::vector<std::string>{});
}

TEST_F(PrimarySetupTest, SplitButtonsAndSendSettings) {
    Buttonplus& b18 = page->Columns().Split18();
    Buttonplus& b24 = page->Columns().Split24();
    // The selected button shows its dot: more dark pixels than the other.
    const auto ink = [&](Buttonplus& b) {
        const QImage image = Grab(b);
        int dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.height() && x < image.width(); ++x) {
                dark += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
            }
        }
        return dark;
    };
    EXPECT_EQ(b18.GetCheck(), win::BST_CHECKED);
    EXPECT_GT(ink(b18), ink(b24));
    Click(b24, QPoint(b24.GetNative()->width() / 2, b24.GetNative()->height() / 2));
    ASSERT_EQ(Sent(*unit, 0x1004, 1).at(0).at(0), 1);
    EXPECT_EQ(unit->Split(), 1);
    EXPECT_EQ(b18.GetCheck(), win::BST_UNCHECKED);
    EXPECT_GT(ink(b24), ink(b18));
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(host.stateRefreshes, 1);

    // A recalled setup: split 2 selects neither button; bands from outside
    // 0..7 show nothing. Sent: split as 1:8, bands clamped, then the ten
    // adjustments (channels 8 and 9 clamped to -8..8).
    unit->ClearFrames();
    UnitSlot& slot = Slot(0);
    slot.split = 2;
    slot.bandSelection = {9, -1, 1, 2, 3, 4, 0, 1};
    slot.adjustments = {1, -2, 3, 0, 0, 0, 0, 12, -10, 10};
    page->UpdateValues();
    b24.GetNative()->clearFocus(); // its focus frame would count as ink
    EXPECT_EQ(b18.GetCheck() + b24.GetCheck(), 0);
    EXPECT_EQ(ink(b18), ink(b24));
    EXPECT_EQ(page->BandText(1).GetWindowText(), "");
    EXPECT_EQ(page->Columns().Gain(2).GetWindowText(), "");
    page->SendSettings();
    EXPECT_EQ(Sent(*unit, 0x1004, 1),
              (std::vector<Bytes>{{0, 0, 0x70, 0, 0x10, 0x20, 0x30, 0x40, 0, 0x10}}));
    const std::vector<Bytes> adjustments = {{0, 1}, {1, 0xFE}, {2, 3},  {3, 0},    {4, 0},
                                            {5, 0}, {6, 0},    {7, 12}, {8, 0xF8}, {9, 8}};
    EXPECT_EQ(Sent(*unit, 0x1000, 10), adjustments);
    const auto frames = unit->Frames();
    const auto first = std::find_if(frames.begin(), frames.end(), [](const auto& f) {
        return f.command == 0x1000 || f.command == 0x1004;
    });
    EXPECT_EQ(first->command, 0x1004); // the bands went first
}

using CalibrationTest = PageTest<Calibration, 77, DefaultDlg::kCalibrationPage>;

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
    EXPECT_TRUE(Payloads(*unit, 0x3001).empty() && Payloads(*unit, 0x3000).empty());

    // The split goes out with the band the unit reported, not the page's.
    slot.Unit()->calibration.calibrationBand = 3;
    Click(page->Columns().Split24());
    EXPECT_EQ(Sent(*unit, 0x3001, 1), (std::vector<Bytes>{{0x39}}));
    EXPECT_EQ(unit->CalibrationBand(), 3);
    EXPECT_EQ(unit->CalibrationSplit(), 1);
    EXPECT_EQ(page->GetCalSplitMode(), 1);
    EXPECT_EQ(page->Columns().Split24().GetCheck(), win::BST_CHECKED);

    // Left end: value 115; right end: value 12, for band 2 with split 1.
    const int right = page->Columns().Slider(1).GetNative()->width() - 1;
    for (const auto& [x, value] : {std::pair{0, 115}, std::pair{right, 12}}) {
        unit->ClearFrames();
        Click(page->Columns().Slider(1), QPoint(x, 4));
        const auto byte = static_cast<std::uint8_t>(value);
        ASSERT_EQ(Sent(*unit, 0x3000, 1), (std::vector<Bytes>{{0, byte, 0x21}})) << x;
        EXPECT_EQ(unit->Calibration(2, 0), byte);
        EXPECT_EQ(slot.calibrationTable[2][0], byte);
        const double gain = (slot.referenceTable[2][0] - value - slot.adjustments[0]) * 0.25 + 3;
        EXPECT_DOUBLE_EQ(Number(page->Columns().Gain(1)), gain);
    }
}

TEST_F(CalibrationTest, FactoryResetAsksAndSaysWhetherItWorked) {
    // The question names the band to be reset.
    char ask[256];
    std::snprintf(ask, sizeof ask, Calibration::kResetQuestion, BandTextOf(Slot(0), 1).c_str());
    const std::string done = Calibration::kResetDone, failed = Calibration::kResetFailed;
    // A reset that fails reads nothing back, and the page keeps its tables.
    using Case = std::tuple<int, bool, std::size_t, std::size_t, std::vector<std::string>>;
    const Case cases[] = {{win::IDCANCEL, false, 0, 0, {ask}},
                          {win::IDOK, false, 1, 4, {ask, done}},
                          {win::IDOK, true, 1, 0, {ask, failed}}};
    UnitSlot& slot = Slot(0);
    AnswerBandChoice(1);
    Click(page->BandText());
    for (const auto& [answer, silent, resets, blockReads, expectedBoxes] : cases) {
        SCOPED_TRACE(expectedBoxes.back());
        unit->SetCalibration(1, 4, 90);
        slot.calibrationTable[1][4] = 90;
        slot.referenceTable[1][4] = 91;
        unit->ClearFrames();
        dialogs->ClearHistory();
        dialogs->AnswerMessageBox(answer);
        unit->SetFault(silent ? sim::Fault::Silent : sim::Fault::None);
        // The click runs the whole reset before it returns.
        QTest::mouseClick(page->GetDlgItem(Calibration::kIdReset)->GetNative(), Qt::LeftButton);
        unit->SetFault(sim::Fault::None);
        Settle();
        std::vector<std::string> boxes; // the "Factory Reset" boxes shown
        for (const auto& shown : dialogs->History()) {
            if (shown.message.caption == Calibration::kResetCaption) {
                boxes.push_back(shown.message.text);
            }
        }
        EXPECT_EQ(boxes, expectedBoxes);
        // The request names the band; the tables are then read whole.
        EXPECT_EQ(Payloads(*unit, 0x3002), std::vector<Bytes>(resets, Bytes{0x10}));
        EXPECT_EQ(Payloads(*unit, 0x2009).size(), blockReads);
        if (resets != 0 && !silent) {
            EXPECT_NE(slot.calibrationTable[1][4], 90);
            EXPECT_EQ(slot.calibrationTable[1][4], unit->Calibration(1, 4));
            EXPECT_EQ(slot.referenceTable[1][4], unit->Reference(1, 4));
        } else {
            EXPECT_EQ(slot.calibrationTable[1][4], 90);
            EXPECT_EQ(slot.referenceTable[1][4], 91);
        }
    }
}

} // namespace
