// The status header and the identity pane of a device window, read from the
// unit's slot, its colours and the setup file recalled last.
#include "device/UnitFlags.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/SystemConfiguration.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"

namespace {

using namespace dwtest;
using win::COLORREF;
using win::CRect;
using win::RGB;

class PanesTest : public DeviceWindowTest {
protected:
    PanesTest() : DeviceWindowTest(73) {}
};

TEST_F(PanesTest, HeaderShowsUnitLineAndRecalledFile) {
    const struct {
        const char* note;
        const char* expected; // before the address
    } cases[] = {{"Mast 7", " Mast 7  "}, {"", "   "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note);
        sim::SimUnit& unit = StartUnit({.note = c.note});
        const int index = AddUnit(unit);
        StatusDlg& header = Window(index).GetStatusHeader();
        EXPECT_EQ(header.GetUnitLine().GetLabelText(), c.expected + unit.Config().address);
        EXPECT_EQ(header.GetFileLine().GetLabelText(), "No File Loaded");
    }

    // The recalled file belongs to the application: every header shows it
    // once refreshed.
    CurrentSetupFile() = "/tmp/setups/Mast.stp";
    for (int i = 0; i < 2; ++i) {
        Window(i).UpdateHeader();
        EXPECT_EQ(Window(i).GetStatusHeader().GetFileLine().GetLabelText(), "/tmp/setups/Mast.stp");
    }
}

TEST_F(PanesTest, HeaderAlarmLabelIsInvisibleUntilColoured) {
    sim::SimUnit& unit = StartUnit({.note = "Mast 7"});
    StatusDlg& header = Window(AddUnit(unit)).GetStatusHeader();
    CNewLabel& alarm = header.GetAlarmLabel();
    const COLORREF background = TheColorScheme().Main.Background;
    EXPECT_EQ(alarm.GetTextColor(), background);
    EXPECT_EQ(alarm.GetBkColor(), background);

    header.SetAlarmColors(RGB(0, 0, 0), RGB(255, 255, 0));
    EXPECT_EQ(alarm.GetTextColor(), RGB(0, 0, 0));
    EXPECT_EQ(alarm.GetBkColor(), RGB(255, 255, 0));
}

TEST_F(PanesTest, HeaderLogoFromTheImagesFolder) {
    sim::SimUnit& a = StartUnit();
    StatusDlg& header = Window(AddUnit(a)).GetStatusHeader();
    EXPECT_TRUE(header.GetLogo().IsLoaded());

    // A missing logo leaves the picture empty, nothing else.
    TheEnvironment().ImagesFolder = "/nonexistent/images/";
    sim::SimUnit& b = StartUnit();
    EXPECT_FALSE(Window(AddUnit(b)).GetStatusHeader().GetLogo().IsLoaded());
}

TEST_F(PanesTest, UnitLineIsPaintedInTheUnitsColours) {
    TheSystemConfiguration().DeviceColors[1] = {RGB(200, 30, 40), RGB(255, 255, 255)};
    sim::SimUnit& a = StartUnit({.note = "A"});
    sim::SimUnit& b = StartUnit({.note = "B"});
    AddUnit(a);
    DefaultDlg& w = Window(AddUnit(b));
    w.ShowNormal();
    Settle();

    StatusDlg& header = w.GetStatusHeader();
    const CRect line = header.Units().ToPixels(0, 0, 383, 10);
    const CRect file = header.Units().ToPixels(106, 0, 275, 10);
    // The strip left of the file line, past the short text.
    const int x = file.left - 20;
    QImage image = Grab(header);
    EXPECT_EQ(CountColour(image, RGB(200, 30, 40), x, 0, 16, line.Height()), 16 * line.Height());
    EXPECT_EQ(PixelAt(image, file.left + 4, file.top + 1), RGB(255, 255, 255));

    // New colours reach the line at the next refresh.
    TheSystemConfiguration().DeviceColors[1].Background = RGB(10, 120, 60);
    w.UpdateHeader();
    Settle();
    image = Grab(header);
    EXPECT_EQ(CountColour(image, RGB(10, 120, 60), x, 0, 16, line.Height()), 16 * line.Height());
}

TEST_F(PanesTest, IdentityPaneOfRowTwoShowsItsAddressAndNote) {
    sim::SimUnit& a = StartUnit({.note = "Mast 7"});
    sim::SimUnit& b = StartUnit({.note = "ABCDEFGHIJKLMNOP"});
    AddUnit(a);
    const int index = AddUnit(b);
    ASSERT_EQ(index, 1);
    Info& info = Window(index).GetIdentityPane();
    EXPECT_EQ(info.GetDlgItemText(Info::kIdAddress), b.Config().address);
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "ABCDEFGHIJKLMNOP");

    // Texts are written when asked: a note edited on the system page shows
    // at the pane's next refresh.
    Slot(index).userNote = "Edited";
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "ABCDEFGHIJKLMNOP");
    info.UpdateValues();
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "Edited");
    EXPECT_EQ(Window(0).GetIdentityPane().GetDlgItemText(Info::kIdAddress), a.Config().address);
}

} // namespace
