// The device window: template, tabs, pane list and layout, page switching,
// hiding by the close box and showing again; its status header and identity
// pane, read from the unit's slot, its colours and the setup file recalled last.
#include "device/UnitFlags.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/SystemConfiguration.h"
#include "tests/device/ResourceUsage.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include <QTest>
#include <QWidget>

namespace {

using namespace dwtest;
using win::CRect;
using win::RGB;

class DefaultDlgTest : public On<72> {
protected:
    DefaultDlg& OpenOne() { return Window(AddUnit(StartUnit({.note = "Mast 7"}))); }
    static bool Shown(const win::CWnd& wnd) { return !wnd.GetNative()->isHidden(); }
    // Which pages are shown, as a string of 0 and 1.
    static std::string ShownPages(DefaultDlg& w) {
        std::string s;
        for (int i = 0; i < DefaultDlg::kPageCount; ++i) {
            s += Shown(*w.GetPage(i)->GetWindow()) ? '1' : '0';
        }
        return s;
    }
};

// The second unit's window: every pane of it is that unit's.
TEST_F(DefaultDlgTest, OpensHiddenWithTheFirstPageStarted) {
    sim::SimUnit& a = StartUnit({.note = "Mast 7"});
    sim::SimUnit& b = StartUnit({.note = "ABCDEFGHIJKLMNOP"});
    AddUnit(a);
    ASSERT_EQ(AddUnit(b), 1);
    DefaultDlg& w = Window(1);
    ASSERT_NE(&Window(0), &w);
    EXPECT_EQ(host.refreshes, 2);
    EXPECT_FALSE(w.IsWindowVisible());
    EXPECT_EQ(w.GetWindowText(), "ABCDEFGHIJKLMNOP (" + b.Config().address + ") \x96 TM80");
    EXPECT_EQ(w.GetTabStrip().GetItemCount(), 2);
    EXPECT_FALSE(w.HasCalibrationTab());
    EXPECT_EQ(w.GetUnitIndex(), 1);
    // The pages, then the status header and the identity pane.
    ASSERT_EQ(w.GetPaneCount(), 5);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w.GetPane(i), w.GetPage(i));
    }
    EXPECT_EQ(Page<PrimarySetupDlg>(1, DefaultDlg::kPrimarySetupPage).GetUnitIndex(), 1);
    EXPECT_EQ(Page<SystemDlg>(1, DefaultDlg::kSystemPage).GetUnitIndex(), 1);
    EXPECT_EQ(Page<Calibration>(1, DefaultDlg::kCalibrationPage).GetUnitIndex(), 1);
    EXPECT_EQ(w.GetPane(3), &w.GetStatusHeader());
    EXPECT_EQ(w.GetPane(4), &w.GetIdentityPane());
    EXPECT_EQ(w.GetPane(5), nullptr);
    EXPECT_EQ(w.GetStatusHeader().GetUnitIndex(), 1);
    EXPECT_EQ(w.GetIdentityPane().GetUnitIndex(), 1);
    // The first page is started and shown; the others stay hidden and idle.
    EXPECT_EQ(ShownPages(w), "100");
    EXPECT_TRUE(Shown(w.GetStatusHeader()) && Shown(w.GetIdentityPane()));

    // The identity pane's texts are written when asked: a note edited on the
    // system page shows at the pane's next refresh.
    Info& info = w.GetIdentityPane();
    EXPECT_EQ(info.GetDlgItemText(Info::kIdAddress), b.Config().address);
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "ABCDEFGHIJKLMNOP");
    Slot(1).userNote = "Edited";
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "ABCDEFGHIJKLMNOP");
    info.UpdateValues();
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "Edited");
    EXPECT_EQ(Window(0).GetIdentityPane().GetDlgItemText(Info::kIdAddress), a.Config().address);
}

TEST_F(DefaultDlgTest, PanesSitOnTheirFramesAndTheIdentityFrameMoves) {
    DefaultDlg& w = OpenOne();
    const CRect page = RectIn(w, DefaultDlg::kIdPageFrame);
    const CRect tabs = RectIn(w, w.GetTabStrip());
    const CRect identity = RectIn(w, DefaultDlg::kIdIdentityFrame);
    // The identity frame runs from the tabs' right end down to their bottom,
    // below the page area.
    EXPECT_EQ(identity.left, tabs.right);
    EXPECT_GE(identity.top, page.bottom);
    EXPECT_EQ(identity.bottom, tabs.bottom);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(RectIn(w, *w.GetPage(i)->GetWindow()), page) << i;
    }
    EXPECT_EQ(RectIn(w, w.GetStatusHeader()), RectIn(w, DefaultDlg::kIdHeaderFrame));
    EXPECT_EQ(RectIn(w, w.GetIdentityPane()), identity);
    // The tabs stay clickable above the page area they overlap.
    w.ShowNormal();
    Settle();
    const QWidget* top = w.GetNative()->childAt((tabs.left + tabs.right) / 4, tabs.bottom - 3);
    EXPECT_EQ(top, w.GetTabStrip().GetNative());
}

TEST_F(DefaultDlgTest, ChoosingATabShowsExactlyThatPage) {
    DefaultDlg& w = OpenOne();
    w.ShowNormal();
    Settle();
    ClickTab(w, 1);
    EXPECT_EQ(w.GetCurrentPage(), 1);
    EXPECT_EQ(ShownPages(w), "010");
    ClickTab(w, 0);
    EXPECT_EQ(ShownPages(w), "100");
    // The system page's calibration switch adds the third tab, once.
    w.ShowCalibrationTab(true);
    w.ShowCalibrationTab(true);
    ASSERT_EQ(w.GetTabStrip().GetItemCount(), 3);
    EXPECT_EQ(w.GetTabStrip().GetItemText(2), "Calibration");
    ClickTab(w, 2);
    EXPECT_EQ(ShownPages(w), "001");
    // Taking the tab away while its page shows goes back home.
    w.ShowCalibrationTab(false);
    EXPECT_EQ(w.GetTabStrip().GetItemCount(), 2);
    EXPECT_EQ(w.GetCurrentPage(), 0);
    EXPECT_EQ(ShownPages(w), "100");
    EXPECT_EQ(w.GetTabStrip().GetCurSel(), 0);
}

TEST_F(DefaultDlgTest, CloseBoxHidesAndShowingAgainKeepsThePage) {
    DefaultDlg& w = OpenOne();
    SlotTable::Position& position = TheSlotTable().At(0);
    const auto showAgain = [&] {
        position.windowShown = true;
        w.ShowNormal();
        Settle();
    };
    const auto hidden = [&] { return !w.IsWindowVisible() && !position.windowShown; };
    showAgain();
    ClickTab(w, 1);
    w.GetNative()->window()->close();
    Settle();
    EXPECT_TRUE(hidden());
    EXPECT_TRUE(w.IsWindow());
    showAgain();
    EXPECT_TRUE(w.IsWindowVisible());
    EXPECT_EQ(w.GetCurrentPage(), 1);
    EXPECT_EQ(w.GetTabStrip().GetCurSel(), 1);
    EXPECT_EQ(ShownPages(w), "010");
    // Escape and the hidden "Exit" button hide it as well; Enter does not.
    QTest::keyClick(w.GetNative(), Qt::Key_Return);
    Settle();
    EXPECT_TRUE(w.IsWindowVisible());
    QTest::keyClick(w.GetNative(), Qt::Key_Escape);
    Settle();
    EXPECT_TRUE(hidden());
    showAgain();
    w.SendMessage(win::WM_COMMAND, win::MAKEWPARAM(win::IDCANCEL, win::BN_CLICKED), 0);
    EXPECT_TRUE(hidden());
    // A minimised window is restored.
    showAgain();
    w.ShowWindow(win::SW_MINIMIZE);
    Settle();
    EXPECT_TRUE(w.IsMinimized());
    w.Restore();
    Settle();
    EXPECT_FALSE(w.IsMinimized());
    EXPECT_TRUE(w.IsWindowVisible());
    w.BringToFront();
    EXPECT_TRUE(w.IsWindowVisible());
}

// Windows opened, their pages refreshed and closed again many times: the
// process's descriptors and heap do not grow.
TEST_F(DefaultDlgTest, OpenRefreshCloseCyclesKeepDescriptorsAndHeap) {
    sim::SimUnit& unit = StartUnit({.note = "Mast 7"});
    auto cycles = [&](int count) {
        for (int i = 0; i < count; ++i) {
            DefaultDlg& w = Window(AddUnit(unit));
            for (int page = 0; page < DefaultDlg::kPageCount; ++page) {
                w.GetPage(page)->UpdateValues();
            }
            w.UpdateHeader();
            TheSlotTable().Release(w.GetUnitIndex());
            Settle();
        }
        unit.ClearFrames();
    };
    cycles(3); // first-time allocations: fonts, images, statics
    const int descriptors = resourcetest::OpenDescriptors();
    const long heap = resourcetest::HeapInUse();
    cycles(20);
    EXPECT_EQ(resourcetest::OpenDescriptors(), descriptors);
    // One window kept alive would be far more than this.
    EXPECT_LT(resourcetest::HeapInUse() - heap, 256 * 1024);
}

TEST_F(DefaultDlgTest, HeaderShowsUnitLineInItsColoursRecalledFileLogoAndQuietAlarm) {
    TheSystemConfiguration().DeviceColors[1] = {RGB(200, 30, 40), RGB(255, 255, 255)};
    const std::pair<const char*, const char*> cases[] = {{"Mast 7", " Mast 7  "}, {"", "   "}};
    for (const auto& [note, before] : cases) {
        SCOPED_TRACE(note);
        sim::SimUnit& unit = StartUnit({.note = note});
        StatusDlg& header = Window(AddUnit(unit)).GetStatusHeader();
        EXPECT_EQ(header.GetUnitLine().GetLabelText(), before + unit.Config().address);
        EXPECT_EQ(header.GetFileLine().GetLabelText(), "No File Loaded");
        EXPECT_TRUE(header.GetLogo().IsLoaded());
        // The alarm label cannot be seen until an alarm colours it.
        const win::COLORREF background = TheColorScheme().Main.Background;
        EXPECT_EQ(header.GetAlarmLabel().GetTextColor(), background);
        EXPECT_EQ(header.GetAlarmLabel().GetBkColor(), background);
    }
    // The second unit's line in its colours: the strip left of the file line,
    // past the short text.
    DefaultDlg& w = Window(1);
    w.ShowNormal();
    Settle();
    StatusDlg& header = w.GetStatusHeader();
    const int height = header.Units().ToPixels(0, 0, 383, 10).Height();
    const CRect file = header.Units().ToPixels(106, 0, 275, 10);
    const int x = file.left - 20;
    QImage image = Grab(header);
    EXPECT_EQ(CountColour(image, RGB(200, 30, 40), x, 0, 16, height), 16 * height);
    EXPECT_EQ(PixelAt(image, file.left + 4, file.top + 1), RGB(255, 255, 255));

    // The recalled file belongs to the application, and new colours are the
    // configuration's: every header shows them once refreshed.
    TheSystemConfiguration().DeviceColors[1].Background = RGB(10, 120, 60);
    CurrentSetupFile() = "/tmp/setups/Mast.stp";
    for (int i = 0; i < 2; ++i) {
        Window(i).UpdateHeader();
        EXPECT_EQ(Window(i).GetStatusHeader().GetFileLine().GetLabelText(), "/tmp/setups/Mast.stp");
    }
    Settle();
    image = Grab(header);
    EXPECT_EQ(CountColour(image, RGB(10, 120, 60), x, 0, 16, height), 16 * height);
    // A missing logo leaves the picture empty, nothing else.
    TheEnvironment().ImagesFolder = "/nonexistent/images/";
    EXPECT_FALSE(Window(AddUnit(StartUnit())).GetStatusHeader().GetLogo().IsLoaded());
}

} // namespace
