// Closing the main window: Escape and the close box save the system
// configuration, Enter ends the window without saving it. The About box.

#include "app/dialogs/CAboutDlg.h"
#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "infra/SystemConfiguration.h"
#include "infra/WinAppplus.h"
#include "platform/ui/CWinApp.h"
#include "tests/app/AppTestSupport.h"

#include "Version.h"

#include <QTest>
#include <QWidget>

#include <filesystem>

using namespace apptest;
using namespace res;

namespace {

class ClosingTest : public AppTest {
protected:
    ClosingTest() : AppTest(64) {}
};

TEST_F(ClosingTest, EscapeAndTheCloseBoxSaveTheConfigurationEnterDoesNot) {
    struct Case {
        CloseBy how;
        int result;
        bool saves;
    };
    const Case cases[] = {
        {CloseBy::Escape, win::IDCANCEL, true},
        {CloseBy::CloseBox, win::IDCANCEL, true},
        {CloseBy::Enter, win::IDOK, false},
    };
    const std::string stored = "[TM80M1]\r\nLAUNCH_DIRECT=0\r\nLAST_IP_USED=127.64.9.9\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.how));
        std::filesystem::remove_all(folder->Path() + "/SystemTools");
        std::filesystem::create_directories(folder->Path() + "/SystemTools/Options");
        WriteFile(ConfigPath(), stored);
        ResetProcessValues();
        StartUp();

        CTM80_AppDlg dlg;
        const int result = RunMainWindow(
            dlg,
            [&] {
                // A change made during the run (as the launch options dialog would).
                TheSystemConfiguration().LaunchCount = 3;
                Close(dlg, c.how);
            },
            true);
        EXPECT_EQ(result, c.result);
        const std::string after = ReadFile(ConfigPath());
        if (c.saves) {
            EXPECT_NE(after.find("NUMBER_OF_LAUNCH_DEVICES=3"), std::string::npos) << after;
            // The last address used goes back unchanged.
            EXPECT_NE(after.find("LAST_IP_USED=127.64.9.9"), std::string::npos) << after;
        } else {
            EXPECT_EQ(after, stored);
        }
    }
}

TEST_F(ClosingTest, AboutBoxShowsItsVersionLine) {
    CAboutDlg about;
    bool checked = false;
    WhenReady([&] { return about.IsWindow() && about.IsWindowVisible(); },
              [&] {
                  EXPECT_EQ(about.GetWindowText(), "About TM80_App");
                  // The same version as the main window's title.
                  EXPECT_EQ(about.GetDlgItemText(IDC_ABOUT_VERSION),
                            std::string("TM80_App, Version ") + kVersionText);
                  EXPECT_EQ(about.GetDlgItemText(win::IDOK), "OK");
                  checked = true;
                  QTest::mouseClick(about.GetDlgItem(win::IDOK)->GetNative(), Qt::LeftButton);
              });
    EXPECT_EQ(about.DoModal(), win::IDOK);
    EXPECT_TRUE(checked);
}

TEST_F(ClosingTest, HelpMenuOpensTheAboutBoxOverTheMainWindow) {
    StartUp();
    CTM80_AppDlg dlg;
    bool shown = false;
    RunMainWindow(dlg, [&] {
        WhenReady([] { return VisibleWindowTitled("About TM80_App") != nullptr; },
                  [&] {
                      shown = true;
                      // The main window waits behind its About box.
                      EXPECT_FALSE(dlg.IsWindowEnabled());
                      QTest::keyClick(VisibleWindowTitled("About TM80_App"), Qt::Key_Escape);
                  });
        dlg.SendMessage(win::WM_COMMAND, win::MAKEWPARAM(IDM_ABOUTBOX, win::BN_CLICKED), 0);
        EXPECT_TRUE(shown);
        EXPECT_TRUE(dlg.IsWindowEnabled());
        EXPECT_EQ(VisibleWindowTitled("About TM80_App"), nullptr);
    });
}

} // namespace
