// Modal dialogs disable only their owner: a modeless top-level window (a unit's
// device window) stays usable while the main window runs modally, also while
// the main window's own modal dialog is open. A box asked for over a window
// that a modal dialog covers belongs to that dialog.

#include "platform/ui/CDialogEx.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/CommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace win;
using uitest::WhenReady;

namespace {

DialogTemplate Window(const char* caption, bool visible) {
    DialogTemplate t;
    t.caption = caption;
    t.cx = 120;
    t.cy = 60;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | (visible ? WS_VISIBLE : 0);
    t.items = {PUSHBUTTON("Press", 1003, 7, 7, 50, 14), DEFPUSHBUTTON("OK", IDOK, 63, 40, 50, 14)};
    return t;
}

class Recorder : public CDialogEx {
public:
    explicit Recorder(DialogTemplate t, CWnd* parent = nullptr) : CDialogEx(std::move(t), parent) {}
    std::vector<int> commands;
    bool OnCommand(int id, int code) override {
        commands.push_back(id);
        return CDialogEx::OnCommand(id, code);
    }
};

class ModalityTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
    void TearDown() override { AfxSetMainWnd(nullptr); }
};

TEST_F(ModalityTest, ModelessWindowStaysUsableWhileTheMainWindowRunsModally) {
    Recorder main(Window("Main", false));
    AfxSetMainWnd(&main);
    Recorder device(Window("Device 1", true));
    ASSERT_TRUE(device.Create(nullptr));
    ASSERT_TRUE(device.IsWindowVisible());

    bool checked = false;
    WhenReady([&] { return main.IsWindowVisible(); },
              [&] {
                  EXPECT_TRUE(device.IsWindowEnabled());
                  QTest::mouseClick(device.GetDlgItem(1003)->GetNative(), Qt::LeftButton);
                  EXPECT_EQ(device.commands, std::vector<int>{1003});

                  // A dialog owned by the main window disables the main window only.
                  Recorder nested(Window("Nested", false)); // owner: the main window
                  WhenReady([&] { return nested.IsWindowVisible(); },
                            [&] {
                                EXPECT_FALSE(main.IsWindowEnabled());
                                EXPECT_TRUE(device.IsWindowEnabled());
                                QTest::mouseClick(device.GetDlgItem(1003)->GetNative(),
                                                  Qt::LeftButton);
                                EXPECT_EQ(device.commands.size(), 2u);
                                nested.EndDialog(IDOK);
                            });
                  EXPECT_EQ(nested.DoModal(), IDOK);
                  EXPECT_TRUE(main.IsWindowEnabled());
                  checked = true;
                  main.EndDialog(IDCANCEL);
              });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(device.IsWindowVisible()); // the modeless window outlives the modal run
}

TEST_F(ModalityTest, DialogOwnedByTheDeviceWindowLeavesTheMainWindowAlone) {
    Recorder main(Window("Main", true));
    ASSERT_TRUE(main.Create(nullptr));
    AfxSetMainWnd(&main);
    Recorder device(Window("Device 2", true));
    ASSERT_TRUE(device.Create(nullptr));
    Recorder entry(Window("Entry", false), &device);
    WhenReady([&] { return entry.IsWindowVisible(); },
              [&] {
                  EXPECT_FALSE(device.IsWindowEnabled());
                  EXPECT_TRUE(main.IsWindowEnabled());
                  entry.EndDialog(IDOK);
              });
    EXPECT_EQ(entry.DoModal(), IDOK);
    EXPECT_TRUE(device.IsWindowEnabled());
}

TEST_F(ModalityTest, BoxOverAModalDialogStaysAboveItAndGivesItTheFocusBack) {
    Recorder main(Window("Main", true));
    ASSERT_TRUE(main.Create(nullptr));
    AfxSetMainWnd(&main);
    Recorder setup(Window("Add Device", false)); // owner: the main window
    QWidget* boxParent = nullptr;
    QWidget* setupWindow = nullptr;
    bool activeAfter = false;
    WhenReady(
        [&] { return setup.IsWindowVisible() && setup.GetNative()->window()->isActiveWindow(); },
        [&] {
            setupWindow = setup.GetNative()->window();
            // A notice for the main window (no owner given) comes up meanwhile.
            WhenReady([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                      [&] {
                          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                          boxParent = box->parentWidget() ? box->parentWidget()->window() : nullptr;
                          box->button(QMessageBox::Ok)->click();
                      });
            ShowMessageBox(nullptr, "TCP connection to Device 1 (127.0.0.2) was lost.",
                           "Communication to TM80", MB_OK);
            activeAfter = uitest::WaitUntil(
                [&] { return setup.GetNative()->window()->isActiveWindow(); }, 3000);
            setup.EndDialog(IDOK);
        });
    EXPECT_EQ(setup.DoModal(), IDOK);
    ASSERT_NE(setupWindow, nullptr);
    EXPECT_EQ(boxParent, setupWindow);
    EXPECT_TRUE(activeAfter);
}

TEST_F(ModalityTest, ModelessDialogHidesOnCancelAndKeepsItsControls) {
    Recorder device(Window("Device 3", true));
    ASSERT_TRUE(device.Create(nullptr));
    QTest::keyClick(device.GetDlgItem(1003)->GetNative(), Qt::Key_Escape);
    EXPECT_FALSE(device.IsWindowVisible());
    EXPECT_TRUE(device.IsWindow());
    device.ShowWindow(SW_SHOW);
    EXPECT_TRUE(device.IsWindowVisible());
    EXPECT_NE(device.GetDlgItem(1003), nullptr);
}

} // namespace
