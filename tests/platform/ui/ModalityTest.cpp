// Modal dialogs disable only their owner: a modeless top-level window (a unit's
// device window) stays usable while the main window runs modally, also while
// the main window's own modal dialog is open.

#include "platform/ui/CDialogEx.h"
#include "platform/ui/CWinApp.h"
#include "testsupport/UiTestSupport.h"

#include <QTest>
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
