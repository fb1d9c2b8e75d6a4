// A dialog with enrolled stand-in controls for the dialog-base tests, their
// fixture, and a language file written for one test.
#pragma once

#include "platform/ui/CButton.h"
#include "platform/ui/CStatic.h"
#include "tests/infra/TempFolder.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Tplus.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// A static text with Tplus that records what the dialog base gives it.
class FakeLabel : public win::CStatic, public Tplus {
public:
    void SetBackColor(win::COLORREF c) override { back = c; }
    void SetTextColor(win::COLORREF c) override { text = c; }
    void SetDisabledTextColor(win::COLORREF c) override { disabled = c; }
    void SetFirstColor(win::COLORREF c) override { first = c; }
    void SetSecondColor(win::COLORREF c) override { second = c; }
    void SetDisabled(bool d) override { enabled_ = !d; }
    bool IsDisabled() const override { return !enabled_; }
    win::COLORREF back = win::CLR_NONE, text = win::CLR_NONE, disabled = win::CLR_NONE;
    win::COLORREF first = win::CLR_NONE, second = win::CLR_NONE;
};

// A button with Tplus that records the button colours it gets.
class FakeButton : public win::CButton, public Tplus {
public:
    void SetButtonColors(win::COLORREF f, win::COLORREF h, win::COLORREF s, win::COLORREF t,
                         win::COLORREF d) override {
        calls.push_back("colours");
        face = f, highlight = h, shadow = s, text = t, disabled = d;
    }
    void SetButtonFace(win::COLORREF f) override {
        calls.push_back("face");
        alternate = face;
        face = f;
    }
    std::vector<std::string> calls;
    win::COLORREF face = win::CLR_NONE, highlight = 0, shadow = 0, text = 0, disabled = 0;
    win::COLORREF alternate = win::CLR_NONE;
};

// Ids 1001.. are labels of 100 x 8 dialog units, 1101.. push buttons, 1201 a
// group box used as a panel.
class TestDialog : public win::CDialogEx, public Dlgplus {
public:
    static constexpr int kLabels = 6;
    TestDialog();
    FakeLabel labels[kLabels];
    FakeButton buttons[2];
    win::CButton panelBox;
    std::vector<std::string> calls;
    std::function<void(TestDialog&)> init;

    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnInitDialog() override;
    void UpdateValues() override { calls.push_back("UpdateValues"); }
    void UpdateStates() override { calls.push_back("UpdateStates"); }
};

// The application and the default colours for each test.
class DialogBaseTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Makes the dialog (modeless, shown) with `table` enrolled and the
    // initialisation order of the windows.
    static void Open(TestDialog& dlg, std::vector<ControlEntry> table);
};

// A language file in a fresh folder, taken as the current one; removed with it.
class LanguageFile {
public:
    LanguageFile(const std::string& contents, bool loaded);
    ~LanguageFile();

private:
    TempFolder folder_;
};
