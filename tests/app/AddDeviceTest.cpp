// "Add Device" and its communications setup dialog against simulated units
// whose modules answer the main window's discovery on a loopback broadcast
// address.

#include "app/CTM80_AppDlg.h"
#include "app/Config.h"
#include "app/Resources.h"
#include "app/StartupNetwork.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "tests/app/AppTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstdio>

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

    // Three units the start-up discovery finds.
    void StartThree() {
        StartUnit(1, 1, "FIRST", true);
        StartUnit(1, 2, "SECOND", true);
        StartUnit(1, 3, "THIRD", true);
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

    // Fills the address control with a dotted address.
    static void Type(Config& config, const std::string& dotted) {
        int f[4] = {0, 0, 0, 0};
        ASSERT_EQ(std::sscanf(dotted.c_str(), "%d.%d.%d.%d", &f[0], &f[1], &f[2], &f[3]), 4);
        dynamic_cast<win::CIPAddressCtrl&>(*config.GetDlgItem(Config::kIdDirectAddress))
            .SetAddress(static_cast<win::BYTE>(f[0]), static_cast<win::BYTE>(f[1]),
                        static_cast<win::BYTE>(f[2]), static_cast<win::BYTE>(f[3]));
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
                      for (auto* button : w->findChildren<QPushButton*>())
                          if (button->text() == "OK")
                              QTest::mouseClick(button, Qt::LeftButton);
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
    StartThree();
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_EQ(DiscoveryList::Instance().Count(), 3);
        Config config(&dlg);
        RunConfig(config, [&] {
            EXPECT_EQ(Text(config, Config::kIdNoteValue), Found(0).NoteText());
            EXPECT_EQ(Text(config, Config::kIdAddressValue), Found(0).addressText);
            EXPECT_EQ(Text(config, Config::kIdSerialValue), Found(0).SerialText());

            // The third address brings the third unit's note and serial with it.
            Pick(config, Config::kIdAddressValue, 2);
            EXPECT_EQ(pickerPrompt, "Select TM80 Device:");
            EXPECT_EQ(config.GetSelectedIndex(), 2);
            EXPECT_EQ(Text(config, Config::kIdNoteValue), Found(2).NoteText());
            EXPECT_EQ(Text(config, Config::kIdSerialValue), Found(2).SerialText());
            Pick(config, Config::kIdNoteValue, 1);
            EXPECT_EQ(pickerPrompt, "Select TM80 ID:");
            EXPECT_EQ(Text(config, Config::kIdAddressValue), Found(1).addressText);

            // Direct IP: one line, the address control where the note was.
            Click(config, Config::kIdNetworkDirect);
            EXPECT_EQ(config.GetMode(), Config::kNetworkDirect);
            EXPECT_EQ(Place(config, Config::kIdDirectLabel), Place(config, Config::kIdNoteLabel));
            EXPECT_EQ(Place(config, Config::kIdDirectAddress), Place(config, Config::kIdNoteValue));
            for (int id :
                 {Config::kIdDirectFrame, Config::kIdDirectLabel, Config::kIdDirectAddress})
                EXPECT_TRUE(config.GetDlgItem(id)->IsWindowVisible()) << id;
            for (int id : {Config::kIdScanFrame, Config::kIdNoteLabel, Config::kIdNoteValue,
                           Config::kIdAddressValue, Config::kIdSerialLabel, Config::kIdSerialValue})
                EXPECT_FALSE(config.GetDlgItem(id)->IsWindowVisible()) << id;

            Click(config, Config::kIdNetworkScan);
            for (int id : {Config::kIdScanFrame, Config::kIdNoteValue, Config::kIdSerialValue})
                EXPECT_TRUE(config.GetDlgItem(id)->IsWindowVisible()) << id;
            for (int id :
                 {Config::kIdDirectFrame, Config::kIdDirectLabel, Config::kIdDirectAddress})
                EXPECT_FALSE(config.GetDlgItem(id)->IsWindowVisible()) << id;
            config.EndDialog(win::IDCANCEL);
        });
    });
}

TEST_F(AddDeviceTest, DirectOkGivesTheTypedAddressOrZeros) {
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        for (bool blank : {false, true}) {
            Config config(&dlg);
            const int result = RunConfig(config, [&] {
                Click(config, Config::kIdNetworkDirect);
                if (!blank)
                    Type(config, "127.74.9.9");
                Click(config, win::IDOK);
            });
            EXPECT_EQ(result, win::IDOK);
            EXPECT_EQ(config.GetDirectAddress(), blank ? "0.0.0.0" : "127.74.9.9");
        }
    });
}

TEST_F(AddDeviceTest, ScanOkWithoutAnEntryIsRefusedInTheDialog) {
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        Config config(&dlg);
        RunConfig(config, [&] {
            EXPECT_EQ(Text(config, Config::kIdNoteValue), Config::kNoDeviceText);
            EXPECT_FALSE(config.GetDlgItem(Config::kIdMessage)->IsWindowVisible());
            Click(config, win::IDOK);
            EXPECT_TRUE(config.IsWindowVisible());
            EXPECT_TRUE(config.GetDlgItem(Config::kIdMessage)->IsWindowVisible());
            EXPECT_EQ(Text(config, Config::kIdMessage), Config::kNothingToAddText);
            config.EndDialog(win::IDCANCEL);
        });
    });
}

TEST_F(AddDeviceTest, RescanUpdatesTheMainWindowAtOnceAndAStaleIndexIsRefused) {
    StartUnit(1, 1, "FIRST", true);
    StartUnit(1, 2, "SECOND", true);
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 2");
        Config config(&dlg);
        RunConfig(config, [&] {
            StartUnit(1, 3, "THIRD", true);
            Click(config, Config::kIdRescan);
            EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 3");
            Pick(config, Config::kIdSerialValue, 2);
            EXPECT_EQ(pickerPrompt, "Select the TM80 Device:");
            ASSERT_EQ(config.GetSelectedIndex(), 2);

            // Nothing answers the next search: the index stays, past the end.
            TheStartupNetwork().discoveryTarget->port =
                static_cast<std::uint16_t>(DiscoveryPort() + 1);
            Click(config, Config::kIdRescan);
            EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 0");
            EXPECT_EQ(config.GetSelectedIndex(), 2);
            EXPECT_EQ(Text(config, Config::kIdAddressValue), Config::kNoDeviceText);
            Click(config, win::IDOK);
            EXPECT_TRUE(config.IsWindowVisible());
            EXPECT_EQ(Text(config, Config::kIdMessage), Config::kNothingToAddText);
            config.EndDialog(win::IDCANCEL);
        });
    });
}

TEST_F(AddDeviceTest, AddDeviceByScanAndByAddressTakesTheEntryOffTheListAndRefusesADuplicate) {
    StartThree();
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
        PressAddDevice(dlg, [&](Config& config) {
            Click(config, Config::kIdNetworkDirect);
            Type(config, second);
            Click(config, win::IDOK);
        });
        ASSERT_NE(TheSlotTable().Slot(1), nullptr);
        EXPECT_EQ(TheSlotTable().Slot(1)->addressText, second);
        EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 1");
        EXPECT_TRUE(Messages().empty());

        // The first unit again: refused before any connection.
        PressAddDevice(dlg, [&](Config& config) {
            Click(config, Config::kIdNetworkDirect);
            Type(config, first);
            Click(config, win::IDOK);
        });
        EXPECT_EQ(Messages(),
                  std::vector<std::string>{first + " is already connected as Device 1."});
        EXPECT_EQ(TheSlotTable().Slot(2), nullptr);

        // A blank address is tried and fails with the message.
        PressAddDevice(dlg, [&](Config& config) {
            Click(config, Config::kIdNetworkDirect);
            Click(config, win::IDOK);
        });
        EXPECT_EQ(Messages().back(), "Connection could not be made with 0.0.0.0");
        EXPECT_EQ(TheSlotTable().Slot(2), nullptr);
        EXPECT_EQ(LabelText(dlg, res::IDC_DEVICES_FOUND), "Devices Found: 1");
    });
}

} // namespace
