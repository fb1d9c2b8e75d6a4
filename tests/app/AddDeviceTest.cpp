// "Add Device" and its communications setup dialog against simulated units
// whose modules answer the main window's discovery on a loopback broadcast
// address.

#include "app/dialogs/Config.h"
#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "app/startup/StartupNetwork.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "tests/app/AppTestSupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <regex>

#include <arpa/inet.h>

using namespace apptest;

namespace {

class AddDeviceTest : public AppTest {
protected:
    AddDeviceTest() : AppTest(74) {}
    void SetUp() override {
        AppTest::SetUp();
        StartUp();
        // Time for a few modules to answer and be read.
        TheStartupNetwork().discoveryTarget->windowMs = 300;
    }

    // Three units the start-up discovery finds, on 127.74.<a>.1-3.
    void StartThree(int a) {
        StartUnit(a, 1, "FIRST", true);
        StartUnit(a, 2, "SECOND", true);
        StartUnit(a, 3, "THIRD", true);
    }

    // Runs `config` modally over the main window; `inside` acts once it shows.
    static int RunConfig(Config& config, const std::function<void()>& inside) {
        WhenReady([&] { return config.IsWindow() && config.IsWindowVisible(); }, inside);
        return static_cast<int>(config.DoModal());
    }

    // "Add Device" pressed; `inside` acts on the dialog it opens.
    static void PressAddDevice(CTM80_AppDlg& dlg, const std::function<void(Config&)>& inside) {
        WhenReady([] { return VisibleDialog<Config>("Communications Setup") != nullptr; },
                  [inside] { inside(*VisibleDialog<Config>("Communications Setup")); });
        QTest::mouseClick(dlg.GetDlgItem(res::IDC_ADD_DEVICE)->GetNative(), Qt::LeftButton);
    }

    static void Click(const win::CWnd& dlg, int id) {
        QTest::mouseClick(dlg.GetDlgItem(id)->GetNative(), Qt::LeftButton);
    }

    // "Add Device" by address; "" leaves the address control blank.
    static void AddByAddress(CTM80_AppDlg& dlg, const std::string& dotted) {
        PressAddDevice(dlg, [&](Config& config) {
            Click(config, Config::kIdNetworkDirect);
            if (!dotted.empty()) {
                dynamic_cast<win::CIPAddressCtrl&>(*config.GetDlgItem(Config::kIdDirectAddress))
                    .SetAddress(ntohl(inet_addr(dotted.c_str())));
            }
            Click(config, win::IDOK);
        });
    }

    // Clicks the value `id` and picks entry `index` in the list choice it
    // opens (the click arrives posted); the prompt shown is noted.
    void Pick(Config& config, int id, int index) {
        pickerPrompt.clear();
        WhenReady([] { return VisibleWindowTitled(Config::kPickerTitle) != nullptr; },
                  [this, index] {
                      QWidget* w = VisibleWindowTitled(Config::kPickerTitle);
                      pickerPrompt = w->findChild<QLabel*>()->text().toStdString();
                      w->findChild<QComboBox*>()->setCurrentIndex(index);
                      for (auto* button : w->findChildren<QPushButton*>()) {
                          if (button->text() == "OK") {
                              QTest::mouseClick(button, Qt::LeftButton);
                          }
                      }
                  });
        Click(config, id);
        EXPECT_TRUE(WaitUntil([this] { return !pickerPrompt.empty(); }));
    }

    static std::string Text(const win::CWnd& dlg, int id) { return dlg.GetDlgItemText(id); }
    static win::CRect Place(const win::CWnd& dlg, int id) {
        win::CRect r;
        dlg.GetDlgItem(id)->GetWindowRect(&r);
        return r;
    }

    std::string pickerPrompt;
};

const DiscoveredUnit& Found(int k) {
    return DiscoveryList::Instance().At(k);
}

TEST_F(AddDeviceTest, PickersShowTheChosenUnitAndTheLayoutsSwitchBothWays) {
    StartThree(1);
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_EQ(DiscoveryList::Instance().Count(), 3);
        Config config(&dlg);
        RunConfig(config, [&] {
            EXPECT_EQ(Text(config, Config::kIdNoteValue), Found(0).NoteText());
            EXPECT_EQ(Text(config, Config::kIdAddressValue), Found(0).addressText);
            // The serial as the rest of the window writes it ("00AB-1001"), not as
            // the discovery answers it ("00AB 1001").
            EXPECT_EQ(Text(config, Config::kIdSerialValue), Found(0).UnitSerialText());
            EXPECT_TRUE(std::regex_match(Text(config, Config::kIdSerialValue),
                                         std::regex("[0-9A-F]{4}-[1-9][0-9]*")));

            // The third address brings the third unit's note and serial with it.
            Pick(config, Config::kIdAddressValue, 2);
            EXPECT_EQ(pickerPrompt, "Select TM80 Device:");
            EXPECT_EQ(config.GetSelectedIndex(), 2);
            EXPECT_EQ(Text(config, Config::kIdNoteValue), Found(2).NoteText());
            EXPECT_EQ(Text(config, Config::kIdSerialValue), Found(2).UnitSerialText());
            Pick(config, Config::kIdNoteValue, 1);
            EXPECT_EQ(pickerPrompt, "Select TM80 ID:");
            EXPECT_EQ(Text(config, Config::kIdAddressValue), Found(1).addressText);

            // Direct IP: one line, the address control where the note was.
            Click(config, Config::kIdNetworkDirect);
            EXPECT_EQ(config.GetMode(), Config::kNetworkDirect);
            EXPECT_EQ(Place(config, Config::kIdDirectLabel), Place(config, Config::kIdNoteLabel));
            EXPECT_EQ(Place(config, Config::kIdDirectAddress), Place(config, Config::kIdNoteValue));
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
            config.EndDialog(win::IDCANCEL);
        });
    });
}

TEST_F(AddDeviceTest, OkWithoutAnEntryIsRefusedAndRescanUpdatesTheMainWindowAtOnce) {
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        Config config(&dlg);
        RunConfig(config, [&] {
            EXPECT_EQ(Text(config, Config::kIdNoteValue), Config::kNoDeviceText);
            EXPECT_FALSE(config.GetDlgItem(Config::kIdMessage)->IsWindowVisible());
            Click(config, win::IDOK);
            EXPECT_TRUE(config.IsWindowVisible());
            EXPECT_TRUE(config.GetDlgItem(Config::kIdMessage)->IsWindowVisible());

            StartUnit(2, 1, "FIRST", true);
            StartUnit(2, 2, "SECOND", true);
            Click(config, Config::kIdRescan);
            EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 2");
            Pick(config, Config::kIdSerialValue, 1);
            EXPECT_EQ(pickerPrompt, "Select the TM80 Device:");

            // Nothing answers the next search: the index stays, past the end.
            TheStartupNetwork().discoveryTarget->port = 53999; // below every test's port
            Click(config, Config::kIdRescan);
            EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 0");
            EXPECT_EQ(config.GetSelectedIndex(), 1);
            Click(config, win::IDOK);
            EXPECT_TRUE(config.IsWindowVisible());
            EXPECT_EQ(Text(config, Config::kIdMessage), Config::kNothingToAddText);
            config.EndDialog(win::IDCANCEL);
        });
    });
}

TEST_F(AddDeviceTest, AddDeviceOffersOnlyUnitsWithoutARowAndRefusesADuplicate) {
    StartThree(3);
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
            const std::string offered = Text(config, Config::kIdAddressValue);
            EXPECT_TRUE(offered != first && offered != second && offered.starts_with("127.74.3."))
                << offered;
            config.EndDialog(win::IDCANCEL);
        });

        // The first unit again: refused before any connection.
        AddByAddress(dlg, first);
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{first + " is already connected as Device 1."});
        EXPECT_EQ(TheSlotTable().Slot(2), nullptr);

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

// A unit that answers the LED flash but too slowly after it: the open sequence
// stops at its first failed read, the unit gets no row, and meanwhile a
// small box said what was being done.
TEST_F(AddDeviceTest, UnitThatAnswersTooSlowlyGetsNoRowAndTheBoxSaysWhatItDid) {
    sim::SimUnit& slow = StartUnit(4, 1, "SLOW");
    // 50 ms per byte: the flash and the open control (12 bytes) come in time,
    // the note (22 bytes) does not.
    slow.SetFault(sim::Fault::SlowBytes, 50);
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        std::vector<std::string> lines;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&lines] {
            QWidget* box = VisibleWindowTitled("Add Device");
            auto* line = box != nullptr ? box->findChild<QLabel*>() : nullptr;
            if (line != nullptr && (lines.empty() || lines.back() != line->text().toStdString())) {
                lines.push_back(line->text().toStdString());
            }
        });
        watch.start(20);
        QElapsedTimer clock;
        clock.start();
        AddByAddress(dlg, Address(4, 1));
        watch.stop();
        EXPECT_LT(clock.elapsed(), 5000) << "12-14 s when every read waited out its budget";
        EXPECT_EQ(Messages(), std::vector<std::string>{Address(4, 1) + " did not answer."});
        EXPECT_EQ(TheSlotTable().Slot(0), nullptr);
        EXPECT_FALSE(RowShown(dlg, 0));
        EXPECT_EQ(slow.Frames().size(), 3u);
        const std::string reading = "Reading " + Address(4, 1);
        EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& line) { return line.starts_with(reading); }),
                  lines.end());
        EXPECT_EQ(VisibleWindowTitled("Add Device"), nullptr);
    });
}

} // namespace
