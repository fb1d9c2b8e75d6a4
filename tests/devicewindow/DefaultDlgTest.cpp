// The device window: template, tabs, pane list and layout, page switching,
// hiding by the close box and showing again.
#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include "tests/device/ResourceUsage.h"

#include <QTabBar>
#include <QTest>
#include <QWidget>

namespace {

using namespace dwtest;
using win::CRect;

class DefaultDlgTest : public DeviceWindowTest {
protected:
    DefaultDlgTest() : DeviceWindowTest(72) {}

    // Opens one unit and returns its window.
    DefaultDlg& OpenOne() {
        sim::SimUnit& unit = StartUnit({.note = "Mast 7"});
        return Window(AddUnit(unit));
    }
    static SystemDlg& SystemPage(DefaultDlg& w) {
        return dynamic_cast<SystemDlg&>(*w.GetPage(DefaultDlg::kSystemPage));
    }
    static int PageUnitIndex(DefaultDlg& w, int index) {
        switch (index) {
        case DefaultDlg::kPrimarySetupPage:
            return dynamic_cast<PrimarySetupDlg&>(*w.GetPage(index)).GetUnitIndex();
        case DefaultDlg::kSystemPage:
            return SystemPage(w).GetUnitIndex();
        default:
            return dynamic_cast<Calibration&>(*w.GetPage(index)).GetUnitIndex();
        }
    }
    static bool Shown(const win::CWnd& wnd) { return !wnd.GetNative()->isHidden(); }
    // Which pages are shown, as a string of 0 and 1.
    static std::string ShownPages(DefaultDlg& w) {
        std::string s;
        for (int i = 0; i < DefaultDlg::kPageCount; ++i) {
            s += Shown(*w.GetPage(i)->GetWindow()) ? '1' : '0';
        }
        return s;
    }
    static void ClickTab(DefaultDlg& w, int index) {
        CRect r;
        ASSERT_TRUE(w.GetTabStrip().GetItemRect(index, &r));
        QTest::mouseClick(w.GetTabStrip().GetNative(), Qt::LeftButton, Qt::NoModifier,
                          QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        Settle();
    }
    static CRect RectIn(const win::CWnd& parent, const win::CWnd& child) {
        CRect r;
        child.GetWindowRect(&r);
        parent.ScreenToClient(&r);
        return r;
    }
};

TEST_F(DefaultDlgTest, OpensHiddenWithTheFirstPageStarted) {
    DefaultDlg& w = OpenOne();
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_FALSE(w.IsWindowVisible());
    const UnitSlot& slot = Slot(0);
    EXPECT_EQ(w.GetWindowText(), slot.userNote + " (" + slot.addressText + ") \x96 TM80");
    EXPECT_EQ(w.GetTabStrip().GetItemCount(), 2);
    EXPECT_FALSE(w.HasCalibrationTab());

    // The pages, then the status header and the identity pane, all of this unit.
    ASSERT_EQ(w.GetPaneCount(), 5);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w.GetPane(i), w.GetPage(i));
        EXPECT_EQ(PageUnitIndex(w, i), 0);
    }
    EXPECT_EQ(w.GetPane(3), &w.GetStatusHeader());
    EXPECT_EQ(w.GetPane(4), &w.GetIdentityPane());
    EXPECT_EQ(w.GetPane(5), nullptr);

    // The first page is started and shown; the others stay hidden and idle.
    EXPECT_EQ(ShownPages(w), "100");
    EXPECT_TRUE(Shown(w.GetStatusHeader()));
    EXPECT_TRUE(Shown(w.GetIdentityPane()));
}

TEST_F(DefaultDlgTest, PanesSitOnTheirFramesAndTheIdentityFrameMoves) {
    DefaultDlg& w = OpenOne();
    const CRect page = RectIn(w, *w.GetDlgItem(DefaultDlg::kIdPageFrame));
    const CRect tabs = RectIn(w, w.GetTabStrip());
    const CRect identity = RectIn(w, *w.GetDlgItem(DefaultDlg::kIdIdentityFrame));
    // The identity frame runs from the tabs' right end down to their bottom,
    // below the page area.
    EXPECT_EQ(identity.left, tabs.right);
    EXPECT_GE(identity.top, page.bottom);
    EXPECT_EQ(identity.bottom, tabs.bottom);

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(RectIn(w, *w.GetPage(i)->GetWindow()), page) << i;
    }
    EXPECT_EQ(RectIn(w, w.GetStatusHeader()), RectIn(w, *w.GetDlgItem(DefaultDlg::kIdHeaderFrame)));
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
    position.windowShown = true;
    w.ShowNormal();
    Settle();
    ClickTab(w, 1);

    w.GetNative()->window()->close();
    Settle();
    EXPECT_FALSE(w.IsWindowVisible());
    EXPECT_FALSE(position.windowShown);
    EXPECT_TRUE(w.IsWindow());

    position.windowShown = true;
    w.ShowNormal();
    Settle();
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
    EXPECT_FALSE(w.IsWindowVisible());
    EXPECT_FALSE(position.windowShown);
    position.windowShown = true;
    w.ShowNormal();
    w.SendMessage(win::WM_COMMAND, win::MAKEWPARAM(win::IDCANCEL, win::BN_CLICKED), 0);
    EXPECT_FALSE(w.IsWindowVisible());
    EXPECT_FALSE(position.windowShown);
}

TEST_F(DefaultDlgTest, MinimisedWindowIsRestored) {
    DefaultDlg& w = OpenOne();
    w.ShowNormal();
    Settle();
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

TEST_F(DefaultDlgTest, EachUnitHasItsOwnWindow) {
    sim::SimUnit& a = StartUnit({.note = "Mast 7"});
    sim::SimUnit& b = StartUnit({.note = "Roof 2"});
    const int ia = AddUnit(a);
    const int ib = AddUnit(b);
    ASSERT_NE(&Window(ia), &Window(ib));
    EXPECT_EQ(Window(ib).GetUnitIndex(), 1);
    EXPECT_EQ(Window(ib).GetStatusHeader().GetUnitIndex(), 1);
    EXPECT_EQ(Window(ib).GetIdentityPane().GetUnitIndex(), 1);
    EXPECT_EQ(PageUnitIndex(Window(ib), DefaultDlg::kCalibrationPage), 1);
}

// Windows opened, their pages refreshed and closed again many times: the
// process's descriptors and heap do not grow.
TEST_F(DefaultDlgTest, OpenRefreshCloseCyclesKeepDescriptorsAndHeap) {
    sim::SimUnit& unit = StartUnit({.note = "Mast 7"});
    auto cycles = [&](int count) {
        for (int i = 0; i < count; ++i) {
            DefaultDlg& w = Window(AddUnit(unit));
            for (int page = 0; page < DefaultDlg::kPageCount; ++page) {
                if (Dlgplus* p = w.GetPage(page)) {
                    p->UpdateValues();
                }
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

} // namespace
