// The device window: template, tabs and pane list as it opens; its status
// header read from the unit's slot, its colours and the setup file recalled last.
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
