// The application tests' fixture: a fresh working folder, scripted common
// dialogs, a discovery on a loopback broadcast address, simulated units on
// 127.<octet>.x.y, the main window and its dialogs run with actions inside.
#pragma once

#include "app/mainwindow/CTM80_AppDlg.h"
#include "sim/SimUnit.h"
#include "tests/infra/TempFolder.h"
#include "testsupport/ScriptedCommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace apptest {

using namespace uitest;
using Texts = std::vector<std::string>;

// Runs `inside` on the dialog of class T behind the window titled `title` once it shows.
template <class T, class F> void WhenShown(const char* title, F inside) {
    WhenReady([title] { return DialogBehind<T>(VisibleWindowTitled(title)) != nullptr; },
              [title, inside] { inside(*DialogBehind<T>(VisibleWindowTitled(title))); });
}
// Runs `dialog` modally; `inside` runs once it shows.
template <class D, class F> int RunModal(D& dialog, F inside) {
    WhenReady([&dialog] { return dialog.IsWindow() && dialog.IsWindowVisible(); }, inside);
    return static_cast<int>(dialog.DoModal());
}

void Click(const win::CWnd& window, int id);
// The label's text (a CNewLabel's own) or the control's window text.
std::string LabelText(const win::CWnd& window, int id);

// A key as the platform delivers it: to an open menu, the focus or the window.
void Press(const CTM80_AppDlg& dlg, Qt::Key key, Qt::KeyboardModifiers modifiers = {});

enum class CloseBy { Escape, CloseBox };

class AppTest : public ::testing::Test {
protected:
    explicit AppTest(int octet, bool startUp = true) : octet_(octet), startUp_(startUp) {}
    void SetUp() override;
    void TearDown() override;

    // Ends the main window as the operator would (Escape's question answered yes).
    void Close(CTM80_AppDlg& dlg, CloseBy how);
    // Writes the system configuration file (section "TM80M1").
    void WriteConfiguration(const std::string& keys);
    // The application object's steps before its main window (taken unless told not to).
    void StartUp();

    // Runs the main window; unless `insideCloses`, IDOK (no save) ends it after `inside`.
    int RunMainWindow(CTM80_AppDlg& dlg, const std::function<void()>& inside,
                      bool insideCloses = false);
    // The main window with units noted `notes` on 127.<octet>.<a>.1, .2, ... added.
    void RunWithUnits(int a, const std::vector<std::string>& notes,
                      const std::function<void(CTM80_AppDlg&)>& inside);

    // A unit on 127.<octet>.<a>.<b>; a findable one has a module that answers the discovery.
    sim::SimUnit& StartUnit(int a, int b, const std::string& note = "SIM UNIT",
                            bool findable = false);
    sim::SimUnit& Unit(std::size_t k) { return *units_.at(k); }
    std::string Address(int a, int b) const {
        return "127." + std::to_string(octet_) + "." + std::to_string(a) + "." + std::to_string(b);
    }
    static bool Add(CTM80_AppDlg& dlg, const sim::SimUnit& unit) {
        return dlg.ConnectUnit(unit.Config().address);
    }

    // Whether the row's controls show (it fails when some do and some do not).
    static bool RowShown(const CTM80_AppDlg& dlg, int row);

    std::string ConfigPath() const;
    std::vector<win::ScriptedCommonDialogs::Shown>
    Shown(win::ScriptedCommonDialogs::Kind kind) const;
    Texts Messages() const;

    std::unique_ptr<TempFolder> folder;
    win::ScriptedCommonDialogs* dialogs = nullptr;

private:
    int octet_;
    bool startUp_;
    std::uint16_t discoveryPort_ = 0;
    std::unique_ptr<WorkingFolder> cwd_;
    std::vector<std::unique_ptr<sim::SimUnit>> units_;
};

// An AppTest whose units are on 127.<Octet>.x.y.
template <int Octet> class AppTestOn : public AppTest {
protected:
    AppTestOn() : AppTest(Octet) {}
};

} // namespace apptest
