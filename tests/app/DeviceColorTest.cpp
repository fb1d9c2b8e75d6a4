// The device colour dialog: a picked colour shows at once in its preview, the
// main window's row and an open device window's header, and stays whatever
// closes the dialog.

#include "app/dialogs/DeviceColorMenu.h"
#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/StatusDlg.h"
#include "infra/SystemConfiguration.h"
#include "tests/app/AppTestSupport.h"

#include <QTest>

using namespace apptest;

namespace {

constexpr win::COLORREF kRed = win::RGB(255, 0, 0);
constexpr win::COLORREF kYellow = win::RGB(255, 255, 0);

class DeviceColorTest : public AppTest {
protected:
    DeviceColorTest() : AppTest(76) {}
    void SetUp() override {
        AppTest::SetUp();
        StartUp();
    }

    // Opens the dialog from the Tools menu; `inside` acts once it shows.
    static void Open(CTM80_AppDlg& dlg, const std::function<void(DeviceColorMenu&)>& inside) {
        WhenReady(
            [] { return VisibleDialog<DeviceColorMenu>("Customize Device Color") != nullptr; },
            [inside] { inside(*VisibleDialog<DeviceColorMenu>("Customize Device Color")); });
        dlg.SendMessage(win::WM_COMMAND, res::ID_CUSTOMIZE_DEVICE_COLOR, 0);
    }

    static void Click(const win::CWnd& window, int id) {
        QTest::mouseClick(window.GetDlgItem(id)->GetNative(), Qt::LeftButton);
    }

    // The colour in the top-left corner of a label, as it paints.
    static win::COLORREF Corner(const win::CWnd& window, int id) {
        Settle();
        return PixelAt(Grab(*window.GetDlgItem(id)), 2, 2);
    }
};

TEST_F(DeviceColorTest, PickedColoursShowAtOnceEverywhereAndCancelKeepsThem) {
    sim::SimUnit& a = StartUnit(1, 1, "FIRST");
    sim::SimUnit& b = StartUnit(1, 2, "SECOND");
    sim::SimUnit& c = StartUnit(1, 3, "THIRD");
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, a));
        ASSERT_TRUE(Add(dlg, b));
        ASSERT_TRUE(Add(dlg, c));
        dlg.ShowDeviceWindow(2);
        DefaultDlg* window = CTM80_AppDlg::DeviceWindowOf(2);
        ASSERT_NE(window, nullptr);
        const win::COLORREF firstRow = Corner(dlg, res::IDC_DEVICE_ID[0]);
        Open(dlg, [&](DeviceColorMenu& menu) {
            // The buttons open at the current colours, the default greys here.
            dialogs->AnswerColor(kRed);
            Click(menu, DeviceColorMenu::kIdBackground[1]);
            EXPECT_EQ(dialogs->History().back().color.initial, win::RGB(50, 50, 50));
            EXPECT_EQ(Corner(menu, DeviceColorMenu::kIdPreview[1]), kRed);
            EXPECT_EQ(Corner(dlg, res::IDC_DEVICE_ID[1]), kRed);
            EXPECT_EQ(Corner(dlg, res::IDC_ADDRESS[1]), kRed);
            EXPECT_EQ(Corner(dlg, res::IDC_DEVICE_ID[0]), firstRow);

            // Row 3's open device window takes its new text colour.
            dialogs->AnswerColor(kYellow);
            Click(menu, DeviceColorMenu::kIdText[2]);
            Settle();
            const QImage line = Grab(window->GetStatusHeader().GetUnitLine());
            EXPECT_GT(uitest::CountColour(line, kYellow, 0, 0, line.width(), line.height()), 0);
            Click(menu, win::IDCANCEL);
        });
        EXPECT_EQ(TheSystemConfiguration().DeviceColors[1].Background, kRed);
        EXPECT_EQ(TheSystemConfiguration().DeviceColors[2].Text, kYellow);
        EXPECT_EQ(Corner(dlg, res::IDC_DEVICE_ID[1]), kRed);
    });
}

} // namespace
