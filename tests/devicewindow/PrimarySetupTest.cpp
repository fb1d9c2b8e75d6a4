// The primary setup page driven as an operator would, checked against what
// reached the simulated unit.
#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

using namespace dwtest;
using Bytes = std::vector<std::uint8_t>;

class PrimarySetupTest : public DeviceWindowTest {
protected:
    PrimarySetupTest() : DeviceWindowTest(76) {}

    void SetUp() override {
        DeviceWindowTest::SetUp();
        unit = &StartUnit({.note = "Mast 7"});
        DefaultDlg& w = Window(AddUnit(*unit));
        page = dynamic_cast<PrimarySetupDlg*>(w.GetPage(DefaultDlg::kPrimarySetupPage));
        ASSERT_NE(page, nullptr);
        w.ShowNormal();
        Settle();
        unit->ClearFrames();
        // From here the host counts the main-window refreshes the page asks for.
        host.refreshes = 0;
    }

    double Gain(int n) { return std::atof(page->Columns().Gain(n).GetWindowText().c_str()); }
    // Waits for `count` frames of `command` and a little longer for more.
    std::vector<Bytes> Sent(std::uint16_t command, std::size_t count) {
        WaitUntil([&] { return Payloads(*unit, command).size() >= count; }, 3000);
        Settle();
        return Payloads(*unit, command);
    }
    void ClickBand(int n) {
        QTest::mouseClick(page->BandText(n).GetNative(), Qt::LeftButton);
        Settle();
    }

    sim::SimUnit* unit = nullptr;
    PrimarySetupDlg* page = nullptr;
};

TEST_F(PrimarySetupTest, SliderSendsTheNegatedPositionAndMovesTheGain) {
    UnitSlot& slot = Slot(0);
    QWidget* slider = page->Columns().Slider(3).GetNative();
    const double before = Gain(3);
    QTest::keyClick(slider, Qt::Key_Right);
    ASSERT_EQ(Sent(0x1000, 1), (std::vector<Bytes>{{2, 0xFF}}));
    EXPECT_EQ(slot.adjustments[2], -1);
    EXPECT_EQ(unit->Adjustments()[2], -1);
    EXPECT_DOUBLE_EQ(Gain(3), before + 0.25);

    // The ends of the slider: adjustments 12 and -12, 3 dB either side of 0.
    const struct {
        int x;
        std::uint8_t sent;
        double gain; // from the gain at position 0
    } ends[] = {{0, 12, -3.0}, {slider->width() - 1, 0xF4, 3.0}};
    for (const auto& end : ends) {
        unit->ClearFrames();
        QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(end.x, 4));
        ASSERT_EQ(Sent(0x1000, 1), (std::vector<Bytes>{{2, end.sent}})) << end.x;
        EXPECT_DOUBLE_EQ(Gain(3), before + end.gain);
    }
    EXPECT_EQ(host.refreshes + host.stateRefreshes, 0); // the main window is not refreshed
}

TEST_F(PrimarySetupTest, BandChoiceSendsEveryBandAndCancelSendsNothing) {
    UnitSlot& slot = Slot(0);
    const std::array<int, 8> bands = slot.bandSelection;
    BandChoice offered;
    AnswerBandChoice(-1, &offered);
    ClickBand(2);
    EXPECT_EQ(offered.items, std::vector<std::string>(slot.bandTexts.begin(),
                                                      slot.bandTexts.begin() + slot.bandCount));
    EXPECT_EQ(offered.selected, bands[1]);
    EXPECT_EQ(offered.prompt, "Select Band for Out 2A:");
    EXPECT_EQ(slot.bandSelection, bands);
    EXPECT_TRUE(Payloads(*unit, 0x1004).empty());
    EXPECT_EQ(host.refreshes, 0);

    AnswerBandChoice(3);
    ClickBand(2);
    Bytes expected = {0, 0};
    for (int k = 0; k < 8; ++k) {
        expected.push_back(static_cast<std::uint8_t>((k == 1 ? 3 : bands[k]) * 16));
    }
    ASSERT_EQ(Sent(0x1004, 1), std::vector<Bytes>{expected});
    EXPECT_EQ(unit->BandSelection()[1], 3);
    EXPECT_EQ(page->BandText(2).GetWindowText(), slot.bandTexts[3]);
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(host.stateRefreshes, 0);
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

    QTest::mouseClick(b24.GetNative(), Qt::LeftButton);
    Settle();
    ASSERT_EQ(Sent(0x1004, 1).at(0).at(0), 1);
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
    EXPECT_EQ(Sent(0x1004, 1),
              (std::vector<Bytes>{{0, 0, 0x70, 0, 0x10, 0x20, 0x30, 0x40, 0, 0x10}}));
    EXPECT_EQ(Sent(0x1000, 10), (std::vector<Bytes>{{0, 1},
                                                    {1, 0xFE},
                                                    {2, 3},
                                                    {3, 0},
                                                    {4, 0},
                                                    {5, 0},
                                                    {6, 0},
                                                    {7, 12},
                                                    {8, 0xF8},
                                                    {9, 8}}));
    const auto frames = unit->Frames();
    const auto first = std::find_if(frames.begin(), frames.end(), [](const auto& f) {
        return f.command == 0x1000 || f.command == 0x1004;
    });
    EXPECT_EQ(first->command, 0x1004); // the bands went first
}

// Writes the unit does not confirm are taken back: the page (and through the
// slot the main window's row) shows what the unit last confirmed.
TEST_F(PrimarySetupTest, WritesTheUnitDoesNotTakeAreTakenBack) {
    UnitSlot& slot = Slot(0);
    const std::int8_t held = slot.adjustments[2];
    unit->SetFault(sim::Fault::Garbage);
    QTest::mouseClick(page->Columns().Split24().GetNative(), Qt::LeftButton);
    QTest::keyClick(page->Columns().Slider(3).GetNative(), Qt::Key_Right);
    Settle();
    ASSERT_EQ(Payloads(*unit, 0x1004).size(), 1u);
    ASSERT_EQ(Payloads(*unit, 0x1000).size(), 1u);
    EXPECT_EQ(slot.split, 0);
    EXPECT_EQ(page->Columns().Split18().GetCheck(), win::BST_CHECKED);
    EXPECT_EQ(slot.adjustments[2], held);
    EXPECT_EQ(page->Columns().Slider(3).GetPos(), -held);
}

TEST_F(PrimarySetupTest, TabGoesThroughThePageInReadingOrderThenTheTabStrip) {
    DefaultDlg& w = Window(0);
    ASSERT_TRUE(WaitUntil([&] { return w.GetNative()->window()->isActiveWindow(); }));
    std::vector<int> expected = {OutputColumns::kIdSplit18, OutputColumns::kIdSplit24};
    for (int n = 1; n <= 8; ++n) {
        expected.push_back(page->BandText(n).GetDlgCtrlID());
        expected.push_back(page->Columns().Slider(n).GetDlgCtrlID());
    }
    expected.push_back(DefaultDlg::kIdTabStrip);
    expected.push_back(OutputColumns::kIdSplit18);
    page->Columns().Split18().SetFocus();
    std::vector<int> visited;
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const win::CWnd* focus = win::CWnd::GetFocus();
        visited.push_back(focus != nullptr ? focus->GetDlgCtrlID() : -1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited, expected);
}

} // namespace
