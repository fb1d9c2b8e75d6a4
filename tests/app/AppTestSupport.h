// Helpers of the application tests: the Qt application, waiting on events,
// running the main window modally with actions inside its loop, and a fixture
// that gives each test a fresh working folder, the start-up steps of the
// application object, scripted message boxes, a discovery that stays on a
// loopback broadcast address, and simulated units on 127.<octet>.x.y.
#pragma once

#include "app/mainwindow/CTM80_AppDlg.h"
#include "platform/ui/Colorref.h"
#include "sim/SimUnit.h"
#include "tests/infra/TempFolder.h"
#include "testsupport/ScriptedCommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

using uitest::EnsureApplication;
using uitest::Grab;
using uitest::PixelAt;
using uitest::Settle;
using uitest::VisibleWindowTitled;
using uitest::WaitUntil;
using uitest::WhenReady;

// The dialog of class T behind the visible window titled `title`, or nullptr.
template <class T> T* VisibleDialog(const char* title) {
    return uitest::DialogBehind<T>(VisibleWindowTitled(title));
}

// Ends the main window by Escape (answering its question with yes), Enter or
// its close box, as the operator would.
enum class CloseBy { Escape, Enter, CloseBox };
void Close(CTM80_AppDlg& dlg, CloseBy how);

class AppTest : public ::testing::Test {
protected:
    explicit AppTest(int octet) : octet_(octet) {}
    void SetUp() override;
    void TearDown() override;

    // Writes the system configuration file (section "TM80M1") before the start.
    void WriteConfiguration(const std::string& keys);
    // The start-up steps of the application object up to the main window:
    // environment, folders, "LAST_IP_USED".
    void StartUp();

    // Runs the main window modally; `inside` runs once it shows. Unless
    // `insideCloses`, the window is ended with IDOK (no save) afterwards.
    int RunMainWindow(CTM80_AppDlg& dlg, const std::function<void()>& inside,
                      bool insideCloses = false);

    // A started simulated unit on 127.<octet>.<a>.<b>; a findable one has a
    // module that answers the main window's discovery.
    sim::SimUnit& StartUnit(int a, int b, const std::string& note = "SIM UNIT",
                            bool findable = false);
    std::string Address(int a, int b) const;
    // Adds `unit` as the main window does (ConnectUnit).
    bool Add(CTM80_AppDlg& dlg, const sim::SimUnit& unit);

    // The row's controls by id.
    static bool RowShown(const CTM80_AppDlg& dlg, int row);
    static std::string LabelText(const CTM80_AppDlg& dlg, int id);

    std::string ConfigPath() const;
    std::vector<std::string> Messages() const;

    std::unique_ptr<TempFolder> folder;
    win::ScriptedCommonDialogs* dialogs = nullptr;
    std::string trace;

    // The port the test's discovery searches, picked from the test's name so
    // that tests running side by side do not hear each other's modules.
    std::uint16_t DiscoveryPort() const { return discoveryPort_; }

private:
    int octet_;
    std::uint16_t discoveryPort_ = 0;
    std::unique_ptr<WorkingFolder> cwd_;
    std::vector<std::unique_ptr<sim::SimUnit>> units_;
};

} // namespace apptest
