// The main window's dialogs: "Add Device", the launch options, the device
// colours, the entry boxes.

#include "app/dialogs/Config.h"
#include "app/dialogs/DeviceColorMenu.h"
#include "app/dialogs/LaunchOptions.h"
#include "app/mainwindow/Resources.h"
#include "app/startup/StartupNetwork.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/StatusDlg.h"
#include "devicewindow/SystemDlg.h"
#include "infra/ColorScheme.h"
#include "infra/SystemConfiguration.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "tests/app/AppTestSupport.h"
#include "toolkit/Contrast.h"
#include "toolkit/EntryDialogs.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>

#include <arpa/inet.h>

using namespace apptest;

namespace {

const Texts kNoFaults;

class AddDeviceTest : public AppTestOn<74> {
protected:
    void SetUp() override {
        AppTest::SetUp();
        TheStartupNetwork().discoveryTarget->windowMs = 300; // time for a few modules
    }
};

template <class F> void PressAddDevice(CTM80_AppDlg& dlg, F inside) {
    WhenShown<Config>("Communications Setup", inside);
    Click(dlg, res::IDC_ADD_DEVICE);
}

// "Add Device" by address; "" leaves the address control blank.
void AddByAddress(CTM80_AppDlg& dlg, const std::string& dotted) {
    PressAddDevice(dlg, [dotted](Config& config) {
        Click(config, Config::kIdNetworkDirect);
        if (!dotted.empty()) {
            dynamic_cast<win::CIPAddressCtrl&>(*config.GetDlgItem(Config::kIdDirectAddress))
                .SetAddress(ntohl(inet_addr(dotted.c_str())));
        }
        Click(config, win::IDOK);
    });
}

// Picks entry `index` in the list choice value `id` opens; the prompt it showed.
std::string Pick(Config& config, int id, int index) {
    const auto offered = AnswerListChoice(Config::kPickerTitle, index);
    Click(config, id);
    EXPECT_TRUE(WaitUntil([&] { return !offered->prompt.empty(); }));
    return offered->prompt;
}

const DiscoveredUnit& Found(int k) {
    return DiscoveryList::Instance().At(k);
}

win::COLORREF Corner(const win::CWnd& window, int id) {
    Settle();
    return PixelAt(Grab(*window.GetDlgItem(id)), 2, 2);
}

TEST_F(AddDeviceTest, PickersShowTheChosenUnitAndOkWithoutAnEntryIsRefused) {
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        Config config(&dlg);
        RunModal(config, [&] {
            EXPECT_EQ(LayoutFaults(config), kNoFaults);
            EXPECT_EQ(Corner(config, Config::kIdAddressValue),
                      TheColorScheme().Main.DataBlockBackground);
            for (int id : {Config::kIdNoteValue, Config::kIdAddressValue, Config::kIdSerialValue}) {
                EXPECT_EQ(config.GetDlgItemText(id), Config::kNoDeviceText) << id;
            }
            EXPECT_FALSE(config.GetDlgItem(Config::kIdMessage)->IsWindowVisible());
            Click(config, win::IDOK);
            EXPECT_TRUE(config.IsWindowVisible());
            EXPECT_TRUE(config.GetDlgItem(Config::kIdMessage)->IsWindowVisible());
            for (int b = 1; b <= 3; ++b) {
                StartUnit(1, b, "UNIT " + std::to_string(b), true);
            }
            Click(config, Config::kIdRescan);
            EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 3");
            EXPECT_EQ(config.GetDlgItemText(Config::kIdNoteValue), Found(0).NoteText());
            EXPECT_EQ(config.GetDlgItemText(Config::kIdAddressValue), Found(0).addressText);
            // The serial as the rest of the window writes it, not as the discovery answers it.
            EXPECT_EQ(config.GetDlgItemText(Config::kIdSerialValue), Found(0).UnitSerialText());
            // The third address brings the third unit's note and serial with it.
            EXPECT_EQ(Pick(config, Config::kIdAddressValue, 2), "Select TM80 Device:");
            EXPECT_EQ(config.GetSelectedIndex(), 2);
            EXPECT_EQ(config.GetDlgItemText(Config::kIdNoteValue), Found(2).NoteText());
            EXPECT_EQ(config.GetDlgItemText(Config::kIdSerialValue), Found(2).UnitSerialText());
            EXPECT_EQ(Pick(config, Config::kIdNoteValue, 0), "Select TM80 ID:");
            EXPECT_EQ(config.GetDlgItemText(Config::kIdAddressValue), Found(0).addressText);
            EXPECT_EQ(Pick(config, Config::kIdSerialValue, 1), "Select the TM80 Device:");
            EXPECT_EQ(config.GetDlgItemText(Config::kIdAddressValue), Found(1).addressText);
            // Direct IP: one line, the address control where the note was.
            Click(config, Config::kIdNetworkDirect);
            EXPECT_EQ(config.GetMode(), Config::kNetworkDirect);
            EXPECT_EQ(RectIn(config, Config::kIdDirectLabel), RectIn(config, Config::kIdNoteLabel));
            EXPECT_EQ(RectIn(config, Config::kIdDirectAddress),
                      RectIn(config, Config::kIdNoteValue));
            // Which of the direct line and of the scan lines show, in that order.
            auto shown = [&] {
                std::string seen;
                for (int id :
                     {Config::kIdDirectFrame, Config::kIdDirectLabel, Config::kIdDirectAddress,
                      Config::kIdScanFrame, Config::kIdNoteLabel, Config::kIdNoteValue,
                      Config::kIdAddressValue, Config::kIdSerialLabel, Config::kIdSerialValue}) {
                    seen += config.GetDlgItem(id)->IsWindowVisible() ? '1' : '0';
                }
                return seen;
            };
            EXPECT_EQ(shown(), "111000000");
            Click(config, Config::kIdNetworkScan);
            EXPECT_EQ(shown(), "000111111");
            // Nothing answers the next search: the index stays, past the end.
            TheStartupNetwork().discoveryTarget->port = 53999; // below every test's port
            Click(config, Config::kIdRescan);
            EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 0");
            EXPECT_EQ(config.GetSelectedIndex(), 1);
            Click(config, win::IDOK);
            EXPECT_TRUE(config.IsWindowVisible());
            EXPECT_EQ(config.GetDlgItemText(Config::kIdMessage), Config::kNothingToAddText);
            config.EndDialog(win::IDCANCEL);
        });
    });
}

TEST_F(AddDeviceTest, AddDeviceOffersOnlyUnitsWithoutARowAndRefusesADuplicate) {
    for (int b = 1; b <= 3; ++b) {
        StartUnit(3, b, "UNIT " + std::to_string(b), true);
    }
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_EQ(DiscoveryList::Instance().Count(), 3);
        const std::string first = Found(0).addressText;
        PressAddDevice(dlg, [&](Config& config) { Click(config, win::IDOK); });
        ASSERT_NE(TheSlotTable().Slot(0), nullptr);
        EXPECT_EQ(TheSlotTable().Slot(0)->addressText, first);
        EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 2");
        EXPECT_TRUE(RowShown(dlg, 0));
        // By address: the typed unit's entry goes too.
        const std::string second = Found(1).addressText;
        AddByAddress(dlg, second);
        ASSERT_NE(TheSlotTable().Slot(1), nullptr);
        EXPECT_EQ(TheSlotTable().Slot(1)->addressText, second);
        EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 1");
        EXPECT_TRUE(Messages().empty());
        // A rescan finds all three again; only the unit without a row is
        // offered and counted.
        PressAddDevice(dlg, [&](Config& config) {
            Click(config, Config::kIdRescan);
            EXPECT_EQ(DiscoveryList::Instance().Count(), 3);
            EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 1");
            const std::string offered = config.GetDlgItemText(Config::kIdAddressValue);
            EXPECT_TRUE(offered != first && offered != second && offered.starts_with("127.74.3."))
                << offered;
            config.EndDialog(win::IDCANCEL);
        });
        // The first unit again: refused before any connection.
        AddByAddress(dlg, first);
        EXPECT_EQ(Messages(), Texts{first + " is already connected as Device 1."});
        // A blank address is tried and fails with the message.
        AddByAddress(dlg, "");
        EXPECT_EQ(Messages().back(), "Connection could not be made with 0.0.0.0");
        EXPECT_EQ(TheSlotTable().Slot(2), nullptr);
        EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 1");
        // A unit removed is offered again.
        Click(dlg, res::IDC_REMOVE[0]);
        EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 2");
    });
}

// The open sequence stops at its first failed read; a small box said what it did.
TEST_F(AddDeviceTest, UnitThatAnswersTooSlowlyGetsNoRowAndTheBoxSaysWhatItDid) {
    sim::SimUnit& slow = StartUnit(4, 1, "SLOW");
    // 50 ms per byte: the flash and the open control (12 bytes) come in time,
    // the note (22 bytes) does not.
    slow.SetFault(sim::Fault::SlowBytes, 50);
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        const QString reading = QString::fromStdString("Reading " + Address(4, 1));
        bool read = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* box = VisibleWindowTitled("Add Device");
            auto* line = box != nullptr ? box->findChild<QLabel*>() : nullptr;
            read = read || (line != nullptr && line->text().startsWith(reading));
        });
        watch.start(20);
        QElapsedTimer clock;
        clock.start();
        AddByAddress(dlg, Address(4, 1));
        watch.stop();
        EXPECT_LT(clock.elapsed(), 5000) << "12-14 s when every read waited out its budget";
        EXPECT_EQ(Messages(), Texts{Address(4, 1) + " did not answer."});
        EXPECT_EQ(TheSlotTable().Slot(0), nullptr);
        EXPECT_FALSE(RowShown(dlg, 0));
        EXPECT_EQ(slow.Frames().size(), 3u);
        EXPECT_TRUE(read);
        EXPECT_EQ(VisibleWindowTitled("Add Device"), nullptr);
    });
}

using LaunchOptionsTest = AppTestOn<75>;

template <class F> void OpenLaunchOptions(CTM80_AppDlg& dlg, F inside) {
    WhenShown<LaunchOptions>(LaunchOptions::kTitle, inside);
    dlg.SendMessage(win::WM_COMMAND, res::ID_LAUNCH_OPTIONS, 0);
}

win::CIPAddressCtrl& AddressControl(LaunchOptions& options, int k) {
    return dynamic_cast<win::CIPAddressCtrl&>(*options.GetDlgItem(LaunchOptions::kIdAddress[k]));
}

std::vector<bool> RowsEnabled(LaunchOptions& options) {
    std::vector<bool> enabled;
    for (int k = 0; k < LaunchOptions::kAddresses; ++k) {
        const bool label = options.GetDlgItem(LaunchOptions::kIdAddressLabel[k])->IsWindowEnabled();
        EXPECT_EQ(label, options.GetDlgItem(LaunchOptions::kIdAddress[k])->IsWindowEnabled());
        enabled.push_back(label);
    }
    return enabled;
}

void EnterCount(LaunchOptions& options, const char* text) {
    bool answered = false;
    WhenReady([] { return VisibleWindowTitled("Input Range 1 to 4") != nullptr; },
              [text, &answered] {
                  auto* edit = VisibleWindowTitled("Input Range 1 to 4")->findChild<QLineEdit*>();
                  edit->selectAll();
                  QTest::keyClicks(edit, text);
                  answered = true;
                  QTest::keyClick(edit, Qt::Key_Return);
              });
    Click(options, LaunchOptions::kIdCount);
    EXPECT_TRUE(WaitUntil([&] { return answered; }));
}

TEST_F(LaunchOptionsTest, EnablingFollowsTheCountAndSaveWritesAllFourControls) {
    WriteConfiguration("LAUNCH_DIRECT=0\r\nNUMBER_OF_LAUNCH_DEVICES=1\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_0=0.0.0.0\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_2=127.75.9.9\r\n");
    CTM80_AppDlg dlg;
    RunMainWindow(
        dlg,
        [&] {
            const SystemConfiguration before = TheSystemConfiguration();
            // Cancel after changes writes nothing.
            OpenLaunchOptions(dlg, [&](LaunchOptions& options) {
                Click(options, LaunchOptions::kIdLaunchDirect);
                AddressControl(options, 1).SetAddress(127, 75, 1, 1);
                Click(options, win::IDCANCEL);
            });
            EXPECT_FALSE(TheSystemConfiguration().LaunchDirectly);
            EXPECT_EQ(TheSystemConfiguration().DirectAddress, before.DirectAddress);
            OpenLaunchOptions(dlg, [&](LaunchOptions& options) {
                EXPECT_EQ(LayoutFaults(options), kNoFaults);
                EXPECT_FALSE(options.GetDlgItem(LaunchOptions::kIdCount)->IsWindowEnabled());
                EXPECT_EQ(RowsEnabled(options), (std::vector<bool>{false, false, false, false}));
                // Disabled labels stay readable: their text has 3:1 on the background.
                for (int id : {LaunchOptions::kIdCountLabel, LaunchOptions::kIdAddressLabel[0]}) {
                    const QImage label = Grab(*options.GetDlgItem(id));
                    double best = 1.0;
                    for (int y = 0; y < label.height(); ++y) {
                        for (int x = 0; x < label.width(); ++x) {
                            best = std::max(
                                best, ContrastRatio(PixelAt(label, x, y), PixelAt(label, 0, 0)));
                        }
                    }
                    EXPECT_GE(best, 3.0) << id;
                }
                // The stored zero address shows as a blank control.
                EXPECT_TRUE(AddressControl(options, 0).IsBlank());
                EXPECT_EQ(AddressControl(options, 2).GetWindowText(), "127.75.9.9");
                Click(options, LaunchOptions::kIdLaunchDirect);
                EXPECT_EQ(RowsEnabled(options), (std::vector<bool>{true, false, false, false}));
                EnterCount(options, "2");
                EXPECT_EQ(options.GetDlgItemText(LaunchOptions::kIdCount), "2");
                EXPECT_EQ(RowsEnabled(options), (std::vector<bool>{true, true, false, false}));
                // What is typed survives the dialog's refresh (the box off and on).
                const auto edits =
                    AddressControl(options, 1).GetNative()->findChildren<QLineEdit*>();
                ASSERT_EQ(edits.size(), 4);
                for (int i = 0; i < 4; ++i) {
                    QTest::keyClicks(edits[i], i == 0 ? "127" : i == 1 ? "75" : i == 2 ? "1" : "2");
                }
                Click(options, LaunchOptions::kIdLaunchDirect);
                Click(options, LaunchOptions::kIdLaunchDirect);
                EXPECT_EQ(AddressControl(options, 1).GetWindowText(), "127.75.1.2");
                Click(options, win::IDOK);
            });
            const SystemConfiguration& after = TheSystemConfiguration();
            EXPECT_TRUE(after.LaunchDirectly);
            EXPECT_EQ(after.LaunchCount, 2);
            // Row 3 is above the count and still saved.
            EXPECT_EQ(after.DirectAddress, (std::array<std::string, 4>{"0.0.0.0", "127.75.1.2",
                                                                       "127.75.9.9", "0.0.0.0"}));
            // "Copy IPs" takes the connected units in order, none at first.
            OpenLaunchOptions(dlg, [&](LaunchOptions& options) {
                Click(options, LaunchOptions::kIdCopyIps);
                EXPECT_EQ(options.GetDlgItemText(LaunchOptions::kIdCount), "0");
                for (int k = 0; k < LaunchOptions::kAddresses; ++k) {
                    EXPECT_TRUE(AddressControl(options, k).IsBlank()) << k;
                }
                Click(options, win::IDCANCEL);
            });
            for (int b = 1; b <= 3; ++b) {
                ASSERT_TRUE(Add(dlg, StartUnit(1, b)));
            }
            dlg.RemoveUnit(1); // units in positions 1 and 3
            OpenLaunchOptions(dlg, [&](LaunchOptions& options) {
                Click(options, LaunchOptions::kIdCopyIps);
                EXPECT_EQ(options.GetDlgItemText(LaunchOptions::kIdCount), "2");
                EXPECT_EQ(AddressControl(options, 0).GetWindowText(), Address(1, 1));
                EXPECT_EQ(AddressControl(options, 1).GetWindowText(), Address(1, 3));
                EXPECT_TRUE(AddressControl(options, 2).IsBlank());
                EXPECT_TRUE(AddressControl(options, 3).IsBlank());
                Click(options, win::IDOK);
            });
            Close(dlg, CloseBy::Escape); // saves the configuration
        },
        true);
    // The next start launches them.
    const std::string saved = ReadFile(ConfigPath());
    for (const std::string& key : Texts{"LAUNCH_DIRECT=1", "NUMBER_OF_LAUNCH_DEVICES=2",
                                        "DEVICE_DIRECT_IP_ADDRESS_0=" + Address(1, 1),
                                        "DEVICE_DIRECT_IP_ADDRESS_1=" + Address(1, 3),
                                        "DEVICE_DIRECT_IP_ADDRESS_2=0.0.0.0"}) {
        EXPECT_NE(saved.find(key + "\r\n"), std::string::npos) << key << saved;
    }
}

using DeviceColorTest = AppTestOn<76>;

void CheckEntryBox(const char* title, Texts& faults) {
    faults = {"not shown"};
    WhenShown<win::CDialogEx>(title, [&faults](win::CDialogEx& box) {
        faults = LayoutFaults(box);
        box.EndDialog(win::IDCANCEL);
    });
}

TEST_F(DeviceColorTest, PickedColoursShowAtOnceEverywhereAndCancelKeepsThem) {
    const win::COLORREF red = win::RGB(255, 0, 0);
    const win::COLORREF yellow = win::RGB(255, 255, 0);
    RunWithUnits(1, {"FIRST", "SECOND", "THIRD"}, [&](CTM80_AppDlg& dlg) {
        dlg.ShowDeviceWindow(2);
        DefaultDlg* window = CTM80_AppDlg::DeviceWindowOf(2);
        ASSERT_NE(window, nullptr);
        const win::COLORREF firstRow = Corner(dlg, res::IDC_DEVICE_ID[0]);
        WhenShown<DeviceColorMenu>("Customize Device Color", [&](DeviceColorMenu& menu) {
            EXPECT_EQ(LayoutFaults(menu), kNoFaults);
            EXPECT_EQ(PixelAt(Grab(menu), 2, 2), TheColorScheme().Main.Background);
            // The buttons open at the current colours, the default greys here.
            dialogs->AnswerColor(red);
            Click(menu, DeviceColorMenu::kIdBackground[1]);
            EXPECT_EQ(dialogs->History().back().color.initial, win::RGB(50, 50, 50));
            EXPECT_EQ(Corner(menu, DeviceColorMenu::kIdPreview[1]), red);
            EXPECT_EQ(Corner(dlg, res::IDC_DEVICE_ID[1]), red);
            EXPECT_EQ(Corner(dlg, res::IDC_ADDRESS[1]), red);
            EXPECT_EQ(Corner(dlg, res::IDC_DEVICE_ID[0]), firstRow);
            // Row 3's open device window takes its new text colour.
            dialogs->AnswerColor(yellow);
            Click(menu, DeviceColorMenu::kIdText[2]);
            Settle();
            const QImage line = Grab(window->GetStatusHeader().GetUnitLine());
            EXPECT_GT(CountColour(line, yellow, 0, 0, line.width(), line.height()), 0);
            Click(menu, win::IDCANCEL);
        });
        dlg.SendMessage(win::WM_COMMAND, res::ID_CUSTOMIZE_DEVICE_COLOR, 0);
        EXPECT_EQ(TheSystemConfiguration().DeviceColors[1].Background, red);
        EXPECT_EQ(TheSystemConfiguration().DeviceColors[2].Text, yellow);
        EXPECT_EQ(Corner(dlg, res::IDC_DEVICE_ID[1]), red);
        // Every control of the main window, the entry boxes and the device
        // window's pages shows whole (the dialogs are checked where their tests open them).
        EXPECT_EQ(LayoutFaults(dlg), kNoFaults) << "main";
        Texts faults;
        std::string text;
        CheckEntryBox("User Notes", faults);
        EnterText("User Notes", "Enter the note for this unit:", "FIRST", text, 250, 1, &dlg);
        EXPECT_EQ(faults, kNoFaults) << "note entry";
        int chosen = 0;
        CheckEntryBox("Band Selection", faults);
        ChooseFromList(0, {"LL: 1435 - 1535", "UL: 1750 - 1850"}, "Band Selection",
                       "Select Band for Out 3A:", 2, chosen, &dlg);
        EXPECT_EQ(faults, kNoFaults) << "band choice";
        // Each page of the device window, the calibration page too. The file
        // line lies over the unit line, a band across the header.
        const std::vector<StackedOnPurpose> stacked = {
            {StatusDlg::kIdUnitLine, StatusDlg::kIdFileLine, "the file line over the unit line"}};
        auto& system = dynamic_cast<SystemDlg&>(*window->GetPage(DefaultDlg::kSystemPage));
        QTest::mouseClick(system.DisplayCalibration().GetNative(), Qt::LeftButton);
        for (int page = 0; page < DefaultDlg::kPageCount; ++page) {
            window->GetTabStrip().SetCurSel(page);
            window->OnNotify(DefaultDlg::kIdTabStrip, win::TCN_SELCHANGE);
            Settle();
            EXPECT_EQ(LayoutFaults(*window, stacked), kNoFaults) << "page " << page;
        }
    });
}

} // namespace
