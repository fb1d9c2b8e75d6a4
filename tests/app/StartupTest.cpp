// Start-up: the application object's steps, the first start with nothing
// configured, and the direct launch with addresses that do not answer.

#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "app/startup/CTM80_AppApp.h"
#include "app/startup/StartupNetwork.h"
#include "app/startup/StartupWindow.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "infra/Environment.h"
#include "infra/ErrorLog.h"
#include "infra/SystemConfiguration.h"
#include "infra/TraceFile.h"
#include "platform/ui/CWinApp.h"
#include "tests/app/AppTestSupport.h"
#include "toolkit/CNewLabel.h"

#include "platform/ui/EventBridge.h"

#include "Version.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace apptest;
using namespace res;

namespace {

class StartupTest : public AppTest {
protected:
    StartupTest() : AppTest(61) {}
};

TEST_F(StartupTest, FirstStartWithoutConfigurationOrUnits) {
    CTM80_AppApp app;
    bool checked = false;
    WhenReady(
        [] { return win::AfxGetMainWnd() != nullptr && win::AfxGetMainWnd()->IsWindowVisible(); },
        [&] {
            auto& dlg = dynamic_cast<CTM80_AppDlg&>(*win::AfxGetMainWnd());
            for (int row = 0; row < kUnitPositions; ++row) {
                EXPECT_FALSE(AppTest::RowShown(dlg, row)) << "row " << row + 1;
            }
            EXPECT_EQ(dlg.GetDlgItemText(IDC_DEVICES_FOUND), "Devices Found: 0");
            EXPECT_EQ(dlg.GetDlgItemText(IDC_LOCAL_SW_IP), "Local Software IP: 127.0.0.1");
            const std::string title = std::string("Tm80_App Version ") + kVersionText;
            EXPECT_EQ(dlg.GetWindowText(), title);
            EXPECT_EQ(dlg.GetNative()->window()->windowTitle().toStdString(), title);

            // Without a configuration the rows take the default greys with white text.
            for (int row = 0; row < kUnitPositions; ++row) {
                const auto* id = dynamic_cast<const CNewLabel*>(dlg.GetDlgItem(IDC_DEVICE_ID[row]));
                ASSERT_NE(id, nullptr);
                EXPECT_EQ(id->GetBkColor(), win::RGB(50 * row, 50 * row, 50 * row));
                EXPECT_EQ(id->GetTextColor(), win::RGB(255, 255, 255));
            }

            // "Add Device" is live.
            EXPECT_TRUE(dlg.GetDlgItem(IDC_ADD_DEVICE)->IsWindowEnabled());
            EXPECT_TRUE(dlg.GetDlgItem(IDC_ADD_DEVICE)->IsWindowVisible());
            checked = true;
            Close(dlg, CloseBy::Escape);
        });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(checked);
    EXPECT_EQ(win::AfxGetMainWnd(), nullptr);

    // The trace of this run.
    const std::string root = folder->Path();
    const std::string traceText = ReadFile(root + "/SystemTools/AppLogs/" + TraceFile::kFileName);
    EXPECT_NE(traceText.find("tm80 started"), std::string::npos);
    EXPECT_NE(traceText.find("Now looking for WizNET Devices."), std::string::npos);

    // Escape saved the configuration.
    EXPECT_NE(ReadFile(ConfigPath()).find("LAST_IP_USED="), std::string::npos);
}

TEST_F(StartupTest, AddressLabelIsWrittenWhenTheHostNameDoesNotResolve) {
    TheStartupNetwork().localAddress = [] { return std::string(); };
    StartUp();
    CTM80_AppDlg dlg;
    RunMainWindow(dlg,
                  [&] { EXPECT_EQ(dlg.GetDlgItemText(IDC_LOCAL_SW_IP), "Local Software IP: "); });
}

TEST_F(StartupTest, SilentUnitAtDirectLaunchGetsNoRowAndHoldsTheStartForOneBudget) {
    // The module accepts the connection, the unit never answers.
    sim::SimUnit& silent = StartUnit(3, 1, "SILENT");
    silent.SetFault(sim::Fault::Silent);
    WriteConfiguration("LAUNCH_DIRECT=1\r\nNUMBER_OF_LAUNCH_DEVICES=1\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_0=" +
                       Address(3, 1) + "\r\n");
    StartUp();
    CTM80_AppDlg dlg;
    QElapsedTimer start;
    start.start();
    RunMainWindow(dlg, [&] {
        // The LED flash waits out its 3 s budget; the rest of the open
        // sequence (another 15 s) is not run.
        EXPECT_LT(start.elapsed(), 8000);
        EXPECT_EQ(Messages(), std::vector<std::string>{Address(3, 1) + " did not answer."});
        EXPECT_FALSE(RowShown(dlg, 0));
        EXPECT_EQ(TheSlotTable().Slot(0), nullptr);
        EXPECT_FALSE(TheSlotTable().At(0).occupied);
        EXPECT_EQ(silent.Frames().size(), 1u);
        EXPECT_TRUE(WaitUntil([&] { return silent.OpenConnections() == 0; }));
    });
}

// Each address that does not answer is named; the zero address is tried too,
// and no more than four addresses.
TEST_F(StartupTest, DirectLaunchNamesEachAddressThatDoesNotAnswer) {
    sim::SimUnit& fourth = StartUnit(2, 4, "FOURTH");
    WriteConfiguration("LAUNCH_DIRECT=2\r\nNUMBER_OF_LAUNCH_DEVICES=9\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_0=0.0.0.0\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_1=" +
                       Address(2, 2) + "\r\n" + "DEVICE_DIRECT_IP_ADDRESS_2=" + Address(2, 3) +
                       "\r\n" + "DEVICE_DIRECT_IP_ADDRESS_3=" + Address(2, 4) + "\r\n");
    StartUp();
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        EXPECT_EQ(Messages(),
                  (std::vector<std::string>{"Connection could not be made with 0.0.0.0",
                                            "Connection could not be made with " + Address(2, 2),
                                            "Connection could not be made with " + Address(2, 3)}));
        const auto& box = dialogs->History()[0].message;
        EXPECT_EQ(box.caption, "Add Device");
        EXPECT_EQ(box.type & win::MB_TYPEMASK, win::MB_OK);

        // The one unit that answered takes the first row, not the fourth.
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[0]), "FOURTH");
        EXPECT_EQ(LabelText(dlg, IDC_ADDRESS[0]), Address(2, 4));
        for (int row = 0; row < kUnitPositions; ++row) {
            EXPECT_EQ(RowShown(dlg, row), row == 0) << "row " << row + 1;
        }
        // The simulated unit's bands name the outputs; its LEDs flashed when it was added.
        EXPECT_FALSE(dlg.GetDlgItemText(IDC_OUTPUT_FIRST[0]).empty());
        EXPECT_EQ(fourth.LedFlashes(), 1);
        ASSERT_NE(CTM80_AppDlg::DeviceWindowOf(0), nullptr);
        EXPECT_FALSE(CTM80_AppDlg::DeviceWindowOf(0)->IsWindowVisible());
    });
}

// One unit, one row: an address listed twice is connected once, the second
// listing skipped with a line in the error log.
TEST_F(StartupTest, DirectLaunchListingAnAddressTwiceConnectsItOnce) {
    sim::SimUnit& twice = StartUnit(7, 1, "TWICE");
    sim::SimUnit& other = StartUnit(7, 2, "OTHER");
    WriteConfiguration("LAUNCH_DIRECT=1\r\nNUMBER_OF_LAUNCH_DEVICES=3\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_0=" +
                       Address(7, 1) + "\r\nDEVICE_DIRECT_IP_ADDRESS_1=" + Address(7, 2) +
                       "\r\nDEVICE_DIRECT_IP_ADDRESS_2=" + Address(7, 1) + "\r\n");
    StartUp();
    StartErrorLog(kVersionText, "TM80", TheEnvironment().AppLogFolder, "");
    ASSERT_NE(TheErrorLog(), nullptr);
    const std::string log = TheErrorLog()->Path();
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[0]), "TWICE");
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[1]), "OTHER");
        EXPECT_FALSE(RowShown(dlg, 2));
        EXPECT_EQ(twice.LedFlashes(), 1);
        EXPECT_EQ(other.LedFlashes(), 1);
        // Enter at the start opens the first unit's window, never removes it.
        ASSERT_TRUE(WaitUntil([] { return win::CWnd::GetFocus() != nullptr; }));
        EXPECT_EQ(win::CWnd::GetFocus()->GetDlgCtrlID(), IDC_DEVICE_BUTTON[0]);
    });
    StopErrorLog();
    EXPECT_NE(ReadFile(log).find("Direct launch: " + Address(7, 1) +
                                 " is listed more than once; it is connected once, as Device 1."),
              std::string::npos)
        << ReadFile(log);
}

// The windows' version text is the plain version with minor and patch as two digits.
TEST(Version, TextIsThePlainVersionWithTwoDigitMinorAndPatch) {
    int major = -1, minor = -1, patch = -1;
    ASSERT_EQ(std::sscanf(kVersion, "%d.%d.%d", &major, &minor, &patch), 3);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d.%02d", major, minor, patch);
    EXPECT_STREQ(kVersionText, text);
}

// What the operator could see during a start, in order: windows shown and
// hidden (by title) and each line the start-up window painted.
class StartRecorder : public QObject {
public:
    StartRecorder() { qApp->installEventFilter(this); }
    ~StartRecorder() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget == nullptr) {
            return false;
        }
        const std::string title = widget->window()->windowTitle().toStdString();
        if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) &&
            widget->isWindow()) {
            Note((event->type() == QEvent::Show ? "show " : "hide ") + title);
        }
        if (event->type() == QEvent::Paint && title == StartupWindow::kTitle &&
            !widget->isWindow()) {
            const win::CWnd* control = win::EventBridge::OwnerOf(widget);
            if (control != nullptr && !control->GetWindowText().empty()) {
                Note("line " + control->GetWindowText());
                // The operator presses Esc and clicks: nothing may come of it.
                QTest::keyClick(widget->window(), Qt::Key_Escape);
                QTest::mouseClick(widget->window(), Qt::LeftButton);
            }
        }
        return false;
    }

    std::vector<std::string> seen;

private:
    void Note(const std::string& what) {
        if (seen.empty() || seen.back() != what) {
            seen.push_back(what);
        }
    }
};

TEST_F(StartupTest, StartupWindowShowsTheStepsUntilTheMainWindowShows) {
    StartUnit(6, 1, "FIRST UNIT");
    WriteConfiguration("LAUNCH_DIRECT=1\r\nNUMBER_OF_LAUNCH_DEVICES=1\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_0=" +
                       Address(6, 1) + "\r\n");
    CTM80_AppApp app;
    StartRecorder recorder;
    WhenReady(
        [] { return win::AfxGetMainWnd() != nullptr && win::AfxGetMainWnd()->IsWindowVisible(); },
        [&] { Close(dynamic_cast<CTM80_AppDlg&>(*win::AfxGetMainWnd()), CloseBy::Enter); });
    app.InitInstance();

    const std::string main = std::string("show Tm80_App Version ") + kVersionText;
    std::vector<std::string> seen = recorder.seen;
    // Only the start-up window and the main window's showing matter here.
    seen.erase(std::remove_if(seen.begin(), seen.end(),
                              [&](const std::string& s) {
                                  return s != main && s != "show TM80" && s != "hide TM80" &&
                                         s.rfind("line ", 0) != 0;
                              }),
               seen.end());
    const auto mainShown = std::find(seen.begin(), seen.end(), main);
    ASSERT_NE(mainShown, seen.end());
    seen.erase(mainShown + 1, seen.end());
    EXPECT_EQ(seen, (std::vector<std::string>{"show TM80", "line Starting\x85",
                                              "line Connecting to " + Address(6, 1) + "\x85",
                                              "line Reading " + Address(6, 1) + "\x85",
                                              "line Searching the network for TM80 units\x85",
                                              "hide TM80", main}));
}

} // namespace
