// Start-up and closing of the main window.

#include "app/dialogs/CAboutDlg.h"
#include "app/mainwindow/Resources.h"
#include "app/startup/CTM80_AppApp.h"
#include "app/startup/LocalAddress.h"
#include "app/startup/StartupWindow.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "infra/ErrorLog.h"
#include "infra/TraceFile.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/EventBridge.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/WorkFolder.h"
#include "toolkit/CNewLabel.h"

#include "Version.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <sstream>

using namespace apptest;
using namespace res;

namespace {

class StartupTest : public AppTest {
protected:
    StartupTest() : AppTest(61, false) {}
    // Runs the application object's start; `inside` acts on its main window once it shows.
    static bool RunApp(const std::function<void(CTM80_AppDlg&)>& inside) {
        CTM80_AppApp app;
        WhenReady([] { return win::AfxGetMainWnd() && win::AfxGetMainWnd()->IsWindowVisible(); },
                  [inside] { inside(dynamic_cast<CTM80_AppDlg&>(*win::AfxGetMainWnd())); });
        return app.InitInstance();
    }
};

const std::string kMainTitle = std::string("Tm80_App Version ") + kVersionText;

// The first start with nothing configured; its Help menu opens the About box,
// the main window waiting behind it.
TEST_F(StartupTest, FirstStartWithoutConfigurationOrUnitsAndTheAboutBox) {
    bool checked = false, shown = false;
    EXPECT_FALSE(RunApp([&](CTM80_AppDlg& dlg) {
        for (int row = 0; row < kUnitPositions; ++row) {
            EXPECT_FALSE(RowShown(dlg, row)) << "row " << row + 1;
            // Without a configuration the rows take the default greys with white text.
            const auto& id = dynamic_cast<const CNewLabel&>(*dlg.GetDlgItem(IDC_DEVICE_ID[row]));
            EXPECT_EQ(id.GetBkColor(), win::RGB(50 * row, 50 * row, 50 * row));
            EXPECT_EQ(id.GetTextColor(), win::RGB(255, 255, 255));
        }
        EXPECT_EQ(dlg.GetDlgItemText(IDC_DEVICES_FOUND), "Devices Found: 0");
        EXPECT_EQ(dlg.GetDlgItemText(IDC_LOCAL_SW_IP), "Local Software IP: 127.0.0.1");
        EXPECT_EQ(dlg.GetWindowText(), kMainTitle);
        EXPECT_EQ(dlg.GetNative()->window()->windowTitle().toStdString(), kMainTitle);
        EXPECT_TRUE(dlg.GetDlgItem(IDC_ADD_DEVICE)->IsWindowEnabled());
        EXPECT_TRUE(dlg.GetDlgItem(IDC_ADD_DEVICE)->IsWindowVisible());
        WhenShown<CAboutDlg>("About TM80_App", [&](CAboutDlg& about) {
            shown = true;
            EXPECT_EQ(LayoutFaults(about), Texts{});
            EXPECT_EQ(about.GetDlgItemText(IDC_ABOUT_VERSION),
                      std::string("TM80_App, Version ") + kVersionText);
            EXPECT_EQ(about.GetDlgItemText(win::IDOK), "OK");
            EXPECT_FALSE(dlg.IsWindowEnabled());
            Click(about, win::IDOK);
        });
        dlg.SendMessage(win::WM_COMMAND, win::MAKEWPARAM(IDM_ABOUTBOX, win::BN_CLICKED), 0);
        EXPECT_TRUE(shown);
        EXPECT_TRUE(dlg.IsWindowEnabled());
        EXPECT_EQ(VisibleWindowTitled(CAboutDlg::kTitle), nullptr);
        checked = true;
        Close(dlg, CloseBy::Escape);
    }));
    EXPECT_TRUE(checked);
    EXPECT_EQ(win::AfxGetMainWnd(), nullptr);
    const std::string traceText =
        ReadFile(folder->Path() + "/SystemTools/AppLogs/" + TraceFile::kFileName);
    EXPECT_NE(traceText.find("tm80 started"), std::string::npos);
    EXPECT_NE(traceText.find("Now looking for WizNET Devices."), std::string::npos);
    // Escape saved the configuration.
    EXPECT_NE(ReadFile(ConfigPath()).find("LAST_IP_USED="), std::string::npos);
}

// Each address that does not answer is named, the zero address too, and no
// more than four are tried. A unit whose module accepts the connection but
// that never answers gets no row and holds the start for its LED flash's 3 s
// budget only (not the open sequence's other 15 s).
TEST_F(StartupTest, DirectLaunchNamesEachAddressThatDoesNotAnswer) {
    sim::SimUnit& silent = StartUnit(2, 3, "SILENT");
    silent.SetFault(sim::Fault::Silent);
    sim::SimUnit& fourth = StartUnit(2, 4, "FOURTH");
    WriteConfiguration(DirectLaunchKeys(
        {"0.0.0.0", Address(2, 2), Address(2, 3), Address(2, 4), Address(2, 5)}, 2, 9));
    StartUp();
    CTM80_AppDlg dlg;
    QElapsedTimer start;
    start.start();
    RunMainWindow(dlg, [&] {
        EXPECT_LT(start.elapsed(), 8000);
        const std::string no = "Connection could not be made with ";
        EXPECT_EQ(Messages(),
                  (Texts{no + "0.0.0.0", no + Address(2, 2), Address(2, 3) + " did not answer."}));
        const auto& box = dialogs->History()[0].message;
        EXPECT_EQ(box.caption, "Add Device");
        EXPECT_EQ(box.type & win::MB_TYPEMASK, win::MB_OK);
        // The one unit that answered takes the first row, not the fourth.
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[0]), "FOURTH");
        EXPECT_EQ(LabelText(dlg, IDC_ADDRESS[0]), Address(2, 4));
        for (int row = 0; row < kUnitPositions; ++row) {
            EXPECT_EQ(RowShown(dlg, row), row == 0) << "row " << row + 1;
            EXPECT_EQ(TheSlotTable().At(row).occupied, row == 0) << "row " << row + 1;
        }
        EXPECT_EQ(silent.Frames().size(), 1u);
        EXPECT_TRUE(WaitUntil([&] { return silent.OpenConnections() == 0; }));
        // The unit's bands name the outputs; its LEDs flashed when it was added.
        EXPECT_FALSE(dlg.GetDlgItemText(IDC_OUTPUT_FIRST[0]).empty());
        EXPECT_EQ(fourth.LedFlashes(), 1);
        ASSERT_NE(CTM80_AppDlg::DeviceWindowOf(0), nullptr);
        EXPECT_FALSE(CTM80_AppDlg::DeviceWindowOf(0)->IsWindowVisible());
    });
}

TEST(Version, TextIsThePlainVersionWithTwoDigitMinorAndPatch) {
    int major = -1, minor = -1, patch = -1;
    ASSERT_EQ(std::sscanf(kVersion, "%d.%d.%d", &major, &minor, &patch), 3);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d.%02d", major, minor, patch);
    EXPECT_STREQ(kVersionText, text);
}

// What the operator sees during a start, in order: the start-up window shown
// and hidden, each line it painted, the main window shown; Esc and clicks at
// each line do nothing. An address listed twice is connected once, the second
// listing skipped with a line in the error log; the focus starts on the first
// unit's button (Enter opens its window, never removes it).
TEST_F(StartupTest, StartupWindowShowsTheStepsAndAnAddressListedTwiceIsConnectedOnce) {
    sim::SimUnit& twice = StartUnit(6, 1, "TWICE");
    sim::SimUnit& other = StartUnit(6, 2, "OTHER");
    WriteConfiguration(DirectLaunchKeys({Address(6, 1), Address(6, 2), Address(6, 1)}));
    struct Recorder : QObject {
        std::vector<std::string> seen;
        void Note(const std::string& what) {
            if ((seen.empty() || seen.back() != what) &&
                std::find(seen.begin(), seen.end(), "show " + kMainTitle) == seen.end()) {
                seen.push_back(what);
            }
        }
        bool eventFilter(QObject* watched, QEvent* event) override {
            auto* widget = qobject_cast<QWidget*>(watched);
            // Not a widget: no title, so neither check below reaches it.
            const std::string title =
                widget != nullptr ? widget->window()->windowTitle().toStdString() : "";
            const bool shown = event->type() == QEvent::Show;
            if ((shown || event->type() == QEvent::Hide) &&
                (title == StartupWindow::kTitle || (shown && title == kMainTitle)) &&
                widget->isWindow()) {
                Note((shown ? "show " : "hide ") + title);
            }
            const win::CWnd* control = win::EventBridge::OwnerOf(widget);
            if (event->type() == QEvent::Paint && title == StartupWindow::kTitle &&
                !widget->isWindow() && control != nullptr && !control->GetWindowText().empty()) {
                Note("line " + control->GetWindowText());
                QTest::keyClick(widget->window(), Qt::Key_Escape);
                QTest::mouseClick(widget->window(), Qt::LeftButton);
            }
            return false;
        }
    } recorder;
    qApp->installEventFilter(&recorder);
    std::string log;
    RunApp([&](CTM80_AppDlg& dlg) {
        EXPECT_TRUE(Messages().empty());
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[0]), "TWICE");
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[1]), "OTHER");
        EXPECT_FALSE(RowShown(dlg, 2));
        EXPECT_EQ(twice.LedFlashes(), 1);
        EXPECT_EQ(other.LedFlashes(), 1);
        ASSERT_TRUE(WaitUntil([] { return win::CWnd::GetFocus() != nullptr; }));
        EXPECT_EQ(win::CWnd::GetFocus()->GetDlgCtrlID(), IDC_DEVICE_BUTTON[0]);
        log = TheErrorLog() != nullptr ? TheErrorLog()->Path() : "";
        Close(dlg, CloseBy::CloseBox);
    });
    qApp->removeEventFilter(&recorder);
    const auto line = [](const char* what, const std::string& address) {
        return std::string("line ") + what + address + "\x85";
    };
    EXPECT_EQ(
        recorder.seen,
        (Texts{"show TM80", line("Starting", ""), line("Connecting to ", Address(6, 1)),
               line("Reading ", Address(6, 1)), line("Connecting to ", Address(6, 2)),
               line("Reading ", Address(6, 2)), line("Searching the network for TM80 units", ""),
               "hide TM80", "show " + kMainTitle}));
    EXPECT_NE(ReadFile(log).find("Direct launch: " + Address(6, 1) +
                                 " is listed more than once; it is connected once, as Device 1."),
              std::string::npos)
        << log;
}

// Also: the address label is written when the host name does not resolve.
// The choice goes by each interface's flags, not by its address, so the
// addresses here are loopback ones too: only data, nothing is sent to them.
TEST(LocalAddressTest, PrefersTheDefaultRouteThenTheFirstUpNonLoopbackAddress) {
    const InterfaceAddress lo{"lo", "127.0.0.1", true, true};
    const InterfaceAddress down{"eth0", "127.0.2.5", false, false};
    const InterfaceAddress lan{"eth1", "127.0.2.20", true, false};
    const InterfaceAddress wifi{"wlan0", "127.0.2.9", true, false};
    const struct {
        std::vector<InterfaceAddress> addresses;
        std::string defaultRoute;
        std::string shown;
    } cases[] = {
        {{lo, down, lan, wifi}, "wlan0", "127.0.2.9"},
        {{lo, down, lan, wifi}, "", "127.0.2.20"},
        {{lo, down, lan, wifi}, "eth0", "127.0.2.20"}, // its interface is down
        {{lo, down}, "", "127.0.0.1"},
        {{}, "", "127.0.0.1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseLocalAddress(c.addresses, c.defaultRoute), c.shown) << c.defaultRoute;
    }
    // The default route in a table as /proc/net/route gives it.
    const std::string heading = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\n";
    const std::string subnet = "eth1\t0000007F\t00000000\t0001\t0\t0\t0\t000000FF\n";
    for (const auto& [table, name] : std::vector<std::pair<std::string, std::string>>{
             {subnet + "wlan0\t00000000\t0100007F\t0003\t0\t0\t600\t00000000\n", "wlan0"},
             {subnet, ""}}) {
        std::istringstream routes(heading + table);
        EXPECT_EQ(DefaultRouteInterface(routes), name) << table;
    }
    // The real interfaces give some dotted address, never a name look-up's 127.0.1.1.
    EXPECT_NE(FindLocalAddress(), "127.0.1.1");
}

} // namespace
