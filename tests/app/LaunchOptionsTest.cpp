// The launch options dialog over a running main window: the enabling rules,
// the count entry, "Copy IPs", what "Save Changes" and Cancel write, and the
// saved choice launching the next start.

#include "app/dialogs/LaunchOptions.h"
#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "device/SlotTable.h"
#include "infra/SystemConfiguration.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "tests/app/AppTestSupport.h"
#include "toolkit/Contrast.h"

#include <QLineEdit>
#include <QTest>

#include <algorithm>

using namespace apptest;

namespace {

class LaunchOptionsTest : public AppTest {
protected:
    LaunchOptionsTest() : AppTest(75) {}
    void SetUp() override {
        AppTest::SetUp();
        StartUp();
    }

    // Opens the dialog from the System menu; `inside` acts once it shows.
    static void Open(CTM80_AppDlg& dlg, const std::function<void(LaunchOptions&)>& inside) {
        WhenReady([] { return VisibleDialog<LaunchOptions>(LaunchOptions::kTitle) != nullptr; },
                  [inside] { inside(*VisibleDialog<LaunchOptions>(LaunchOptions::kTitle)); });
        dlg.SendMessage(win::WM_COMMAND, res::ID_LAUNCH_OPTIONS, 0);
    }

    static void Click(LaunchOptions& options, int id) {
        QTest::mouseClick(options.GetDlgItem(id)->GetNative(), Qt::LeftButton);
    }
    static win::CIPAddressCtrl& AddressControl(LaunchOptions& options, int k) {
        return dynamic_cast<win::CIPAddressCtrl&>(
            *options.GetDlgItem(LaunchOptions::kIdAddress[k]));
    }
    static std::string AddressIn(LaunchOptions& options, int k) {
        return AddressControl(options, k).GetWindowText();
    }
    // Types the four fields of address control k, as the operator would.
    static void TypeAddress(LaunchOptions& options, int k,
                            const std::array<const char*, 4>& fields) {
        const auto edits = AddressControl(options, k).GetNative()->findChildren<QLineEdit*>();
        ASSERT_EQ(edits.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QTest::keyClicks(edits[i], fields[static_cast<std::size_t>(i)]);
        }
    }
    // Which of the four address rows (label and control) are enabled.
    static std::vector<bool> RowsEnabled(LaunchOptions& options) {
        std::vector<bool> enabled;
        for (int k = 0; k < LaunchOptions::kAddresses; ++k) {
            const bool label =
                options.GetDlgItem(LaunchOptions::kIdAddressLabel[k])->IsWindowEnabled();
            EXPECT_EQ(label, options.GetDlgItem(LaunchOptions::kIdAddress[k])->IsWindowEnabled());
            enabled.push_back(label);
        }
        return enabled;
    }
    // Clicks the count and types `text` into the number entry it opens (the
    // click arrives posted).
    static void EnterCount(LaunchOptions& options, const char* text) {
        bool answered = false;
        WhenReady([] { return VisibleWindowTitled("Input Range 1 to 4") != nullptr; },
                  [text, &answered] {
                      auto* edit =
                          VisibleWindowTitled("Input Range 1 to 4")->findChild<QLineEdit*>();
                      edit->selectAll();
                      QTest::keyClicks(edit, text);
                      answered = true;
                      QTest::keyClick(edit, Qt::Key_Return);
                  });
        Click(options, LaunchOptions::kIdCount);
        EXPECT_TRUE(WaitUntil([&] { return answered; }));
    }
};

TEST_F(LaunchOptionsTest, EnablingFollowsTheCountAndSaveWritesAllFourControls) {
    WriteConfiguration("LAUNCH_DIRECT=0\r\nNUMBER_OF_LAUNCH_DEVICES=1\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_0=0.0.0.0\r\n"
                       "DEVICE_DIRECT_IP_ADDRESS_2=127.75.9.9\r\n");
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        const SystemConfiguration before = TheSystemConfiguration();
        // Cancel after changes writes nothing.
        Open(dlg, [&](LaunchOptions& options) {
            Click(options, LaunchOptions::kIdLaunchDirect);
            AddressControl(options, 1).SetAddress(127, 75, 1, 1);
            Click(options, win::IDCANCEL);
        });
        EXPECT_FALSE(TheSystemConfiguration().LaunchDirectly);
        EXPECT_EQ(TheSystemConfiguration().DirectAddress, before.DirectAddress);

        Open(dlg, [&](LaunchOptions& options) {
            EXPECT_FALSE(options.GetDlgItem(LaunchOptions::kIdCount)->IsWindowEnabled());
            EXPECT_EQ(RowsEnabled(options), (std::vector<bool>{false, false, false, false}));
            // Disabled labels stay readable: their text has 3:1 on the background.
            for (int id : {LaunchOptions::kIdCountLabel, LaunchOptions::kIdAddressLabel[0]}) {
                const QImage label = Grab(*options.GetDlgItem(id));
                const win::COLORREF background = PixelAt(label, 0, 0);
                double best = 1.0;
                for (int y = 0; y < label.height(); ++y) {
                    for (int x = 0; x < label.width(); ++x) {
                        best = std::max(best, ContrastRatio(PixelAt(label, x, y), background));
                    }
                }
                EXPECT_GE(best, 3.0) << id;
            }
            // The stored zero address shows as a blank control.
            EXPECT_TRUE(AddressControl(options, 0).IsBlank());
            EXPECT_EQ(AddressIn(options, 2), "127.75.9.9");

            Click(options, LaunchOptions::kIdLaunchDirect);
            EXPECT_EQ(RowsEnabled(options), (std::vector<bool>{true, false, false, false}));
            EnterCount(options, "2");
            EXPECT_EQ(options.GetDlgItemText(LaunchOptions::kIdCount), "2");
            EXPECT_EQ(RowsEnabled(options), (std::vector<bool>{true, true, false, false}));
            // What is typed survives the dialog's refresh (the box off and on).
            TypeAddress(options, 1, {"127", "75", "1", "2"});
            Click(options, LaunchOptions::kIdLaunchDirect);
            Click(options, LaunchOptions::kIdLaunchDirect);
            EXPECT_EQ(AddressIn(options, 1), "127.75.1.2");
            Click(options, win::IDOK);
        });
        const SystemConfiguration& after = TheSystemConfiguration();
        EXPECT_TRUE(after.LaunchDirectly);
        EXPECT_EQ(after.LaunchCount, 2);
        // Row 3 is above the count and still saved.
        EXPECT_EQ(after.DirectAddress,
                  (std::array<std::string, 4>{"0.0.0.0", "127.75.1.2", "127.75.9.9", "0.0.0.0"}));
    });
}

TEST_F(LaunchOptionsTest, CopyIpsTakesTheConnectedUnitsInOrderAndTheNextStartLaunchesThem) {
    sim::SimUnit& a = StartUnit(1, 1, "FIRST");
    sim::SimUnit& b = StartUnit(1, 2, "SECOND");
    sim::SimUnit& c = StartUnit(1, 3, "THIRD");
    WriteConfiguration("DEVICE_DIRECT_IP_ADDRESS_3=127.75.9.9\r\n");
    {
        CTM80_AppDlg dlg;
        RunMainWindow(
            dlg,
            [&] {
                Open(dlg, [&](LaunchOptions& options) {
                    Click(options, LaunchOptions::kIdCopyIps);
                    EXPECT_EQ(options.GetDlgItemText(LaunchOptions::kIdCount), "0");
                    for (int k = 0; k < LaunchOptions::kAddresses; ++k) {
                        EXPECT_TRUE(AddressControl(options, k).IsBlank()) << k;
                    }
                    Click(options, win::IDCANCEL);
                });

                ASSERT_TRUE(Add(dlg, a));
                ASSERT_TRUE(Add(dlg, b));
                ASSERT_TRUE(Add(dlg, c));
                dlg.RemoveUnit(1); // units in positions 1 and 3
                Open(dlg, [&](LaunchOptions& options) {
                    Click(options, LaunchOptions::kIdLaunchDirect);
                    Click(options, LaunchOptions::kIdCopyIps);
                    EXPECT_EQ(options.GetDlgItemText(LaunchOptions::kIdCount), "2");
                    EXPECT_EQ(AddressIn(options, 0), Address(1, 1));
                    EXPECT_EQ(AddressIn(options, 1), Address(1, 3));
                    EXPECT_TRUE(AddressControl(options, 2).IsBlank());
                    EXPECT_TRUE(AddressControl(options, 3).IsBlank());
                    Click(options, win::IDOK);
                });
                Close(dlg, CloseBy::Escape); // saves the configuration
            },
            true);
    }
    TheSlotTable().Clear();
    ASSERT_TRUE(WaitUntil([&] { return a.OpenConnections() == 0 && c.OpenConnections() == 0; }));

    CTM80_AppDlg next;
    RunMainWindow(next, [&] {
        // Only the first window's exit question: every unit connected.
        EXPECT_EQ(Messages(), std::vector<std::string>{CTM80_AppDlg::kExitQuestion});
        ASSERT_NE(TheSlotTable().Slot(0), nullptr);
        ASSERT_NE(TheSlotTable().Slot(1), nullptr);
        EXPECT_EQ(TheSlotTable().Slot(0)->addressText, Address(1, 1));
        EXPECT_EQ(TheSlotTable().Slot(1)->addressText, Address(1, 3));
        EXPECT_EQ(TheSlotTable().Slot(2), nullptr);
    });
}

} // namespace
