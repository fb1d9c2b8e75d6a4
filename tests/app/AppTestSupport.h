// The application tests' fixture: a fresh working folder, the start-up steps
// of the application object, scripted common dialogs, a discovery that stays
// on a loopback broadcast address, simulated units on 127.<octet>.x.y, and the
// main window and its dialogs run modally with actions inside their loops.
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

// Runs `inside` on the dialog of class T behind the window titled `title` once it shows.
template <class T, class F> void WhenShown(const char* title, F inside) {
    WhenReady([title] { return uitest::DialogBehind<T>(VisibleWindowTitled(title)) != nullptr; },
              [title, inside] { inside(*uitest::DialogBehind<T>(VisibleWindowTitled(title))); });
}
// Runs `dialog` modally; `inside` runs once it shows.
template <class D, class F> int RunModal(D& dialog, F inside) {
    WhenReady([&dialog] { return dialog.IsWindow() && dialog.IsWindowVisible(); }, inside);
    return static_cast<int>(dialog.DoModal());
}

void Click(const win::CWnd& window, int id);
// The control's rectangle in its dialog's client area.
win::CRect Place(const win::CWnd& window, int id);
// The label's text (a CNewLabel's own) or the control's window text.
std::string LabelText(const win::CWnd& window, int id);

// A key as the platform delivers it: to an open menu, the focused widget, or
// the window when nothing in it has the focus.
void Press(const CTM80_AppDlg& dlg, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
bool Active(const CTM80_AppDlg& dlg);

enum class CloseBy { Escape, Enter, CloseBox };

class AppTest : public ::testing::Test {
protected:
    explicit AppTest(int octet, bool startUp = true) : octet_(octet), startUp_(startUp) {}
    void SetUp() override;
    void TearDown() override;

    // Ends the main window by Escape (answering its question with yes), Enter
    // or its close box, as the operator would.
    void Close(CTM80_AppDlg& dlg, CloseBy how);
    // Writes the system configuration file (section "TM80M1").
    void WriteConfiguration(const std::string& keys);
    // Writes a configuration that launches directly to `addresses`.
    void WriteDirectLaunch(const std::vector<std::string>& addresses, int launch = 1,
                           int count = -1);
    // The start-up steps of the application object up to the main window:
    // environment, folders, "LAST_IP_USED" (the fixture takes them unless told not to).
    void StartUp();

    // Runs the main window modally; `inside` runs once it shows. Unless
    // `insideCloses`, the window is ended with IDOK (no save) afterwards.
    int RunMainWindow(CTM80_AppDlg& dlg, const std::function<void()>& inside,
                      bool insideCloses = false);
    // Units noted `notes` on 127.<octet>.<a>.1, .2, ...: the main window runs
    // with them added, in order, and `inside` acts on it.
    void RunWithUnits(int a, const std::vector<std::string>& notes,
                      const std::function<void(CTM80_AppDlg&)>& inside);

    // A started simulated unit on 127.<octet>.<a>.<b>; a findable one has a
    // module that answers the main window's discovery.
    sim::SimUnit& StartUnit(int a, int b, const std::string& note = "SIM UNIT",
                            bool findable = false);
    sim::SimUnit& Unit(std::size_t k) { return *units_.at(k); }
    std::string Address(int a, int b) const {
        return "127." + std::to_string(octet_) + "." + std::to_string(a) + "." + std::to_string(b);
    }
    // Adds `unit` as the main window does.
    static bool Add(CTM80_AppDlg& dlg, const sim::SimUnit& unit) {
        return dlg.ConnectUnit(unit.Config().address);
    }

    // Whether the row's controls all show (it fails when some do and some do not).
    static bool RowShown(const CTM80_AppDlg& dlg, int row);

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
    bool startUp_;
    std::uint16_t discoveryPort_ = 0;
    std::unique_ptr<WorkingFolder> cwd_;
    std::vector<std::unique_ptr<sim::SimUnit>> units_;
};

} // namespace apptest
