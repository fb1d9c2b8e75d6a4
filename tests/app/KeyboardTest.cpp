// The main window from the keyboard: Esc closes it (and saves) after a
// question, also with no row filled and after a menu was used; a remove
// button asks before Enter or Space takes a unit away; the menus open with Alt
// and their letter or with F10, and a focused push button shows a focus mark.

#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "device/SlotTable.h"
#include "tests/app/AppTestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QWidget>

#include <filesystem>
#include <string>
#include <vector>

using namespace apptest;
using namespace res;

namespace {

class KeyboardTest : public AppTest {
protected:
    KeyboardTest() : AppTest(65) {}
    void SetUp() override {
        AppTest::SetUp();
        StartUp();
    }
};

bool Active(const CTM80_AppDlg& dlg) {
    return dlg.GetNative()->window()->isActiveWindow();
}

// Where the platform delivers a key: an open menu, the focused widget, or
// the window when nothing in it has the focus.
void Press(CTM80_AppDlg& dlg, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr) {
        target = QApplication::focusWidget();
    }
    if (target == nullptr) {
        target = dlg.GetNative()->window();
    }
    QTest::keyClick(target, key, modifiers);
}

QString OpenMenuTitle() {
    const auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    return menu != nullptr ? menu->title() : QString();
}

TEST_F(KeyboardTest, EscapeClosesTheEmptyWindowAndSavesAlsoAfterAMenu) {
    struct Case {
        const char* what;
        Qt::Key openKey; // Qt::Key_unknown: no menu first
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {
        {"nothing focused", Qt::Key_unknown, Qt::NoModifier},
        {"Alt+F", Qt::Key_F, Qt::AltModifier},
        {"F10", Qt::Key_F10, Qt::NoModifier},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(ConfigPath());
        CTM80_AppDlg dlg;
        const int result = RunMainWindow(
            dlg,
            [&] {
                ASSERT_TRUE(WaitUntil([&] { return Active(dlg); }));
                int escapes = 1;
                if (c.openKey != Qt::Key_unknown) {
                    Press(dlg, c.openKey, c.modifiers);
                    ASSERT_TRUE(WaitUntil([] { return !OpenMenuTitle().isEmpty(); }));
                    EXPECT_EQ(OpenMenuTitle(), "&File");
                    // The first closes the menu, the second leaves the menu bar.
                    escapes = 3;
                }
                dialogs->AnswerMessageBox(win::IDYES); // "Exit TM80?"
                for (int k = 0; k < escapes && dlg.IsWindowVisible(); ++k) {
                    Press(dlg, Qt::Key_Escape);
                }
            },
            true);
        EXPECT_EQ(result, win::IDCANCEL);
        EXPECT_TRUE(std::filesystem::exists(ConfigPath()));
    }
}

TEST_F(KeyboardTest, OneKeyAsksBeforeItRemovesAUnitOrEndsTheProgram) {
    sim::SimUnit& unit = StartUnit(1, 2, "UNIT");
    const std::string removeQuestion = "Remove Device 1 (" + Address(1, 2) + ")?";
    struct Case {
        const char* what;
        Qt::Key key; // Qt::Key_unknown: a click
        int answer;
        std::vector<std::string> asked;
        bool removed;
    };
    const Case cases[] = {
        {"Enter, no", Qt::Key_Return, win::IDNO, {removeQuestion}, false},
        {"Space, yes", Qt::Key_Space, win::IDYES, {removeQuestion}, true},
        {"click", Qt::Key_unknown, win::IDNO, {}, true},
    };
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(WaitUntil([&] { return Active(dlg); }));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            if (TheSlotTable().Slot(0) == nullptr) {
                ASSERT_TRUE(Add(dlg, unit));
            }
            dialogs->ClearHistory();
            dialogs->AnswerMessageBox(c.answer);
            win::CWnd& remove = *dlg.GetDlgItem(IDC_REMOVE[0]);
            if (c.key == Qt::Key_unknown) {
                QTest::mouseClick(remove.GetNative(), Qt::LeftButton);
            } else {
                remove.SetFocus();
                Press(dlg, c.key);
            }
            Settle();
            EXPECT_EQ(Messages(), c.asked);
            EXPECT_EQ(TheSlotTable().Slot(0) == nullptr, c.removed);
        }
        // Esc answered no leaves the window open and the configuration unsaved.
        dialogs->ClearHistory();
        dialogs->AnswerMessageBox(win::IDNO);
        Press(dlg, Qt::Key_Escape);
        Settle();
        EXPECT_EQ(Messages(), std::vector<std::string>{CTM80_AppDlg::kExitQuestion});
        EXPECT_TRUE(dlg.IsWindowVisible());
        EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
    });
}

TEST_F(KeyboardTest, TabGoesThroughTheRowsInReadingOrderThenAddDevice) {
    sim::SimUnit& first = StartUnit(1, 3, "ONE");
    sim::SimUnit& second = StartUnit(1, 4, "TWO");
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, first));
        ASSERT_TRUE(Add(dlg, second));
        ASSERT_TRUE(WaitUntil([&] { return Active(dlg); }));
        dlg.GetDlgItem(IDC_REMOVE[0])->SetFocus();
        std::vector<int> visited;
        for (int k = 0; k < 6; ++k) {
            const win::CWnd* focus = win::CWnd::GetFocus();
            visited.push_back(focus != nullptr ? focus->GetDlgCtrlID() : -1);
            Press(dlg, Qt::Key_Tab);
        }
        EXPECT_EQ(visited, (std::vector<int>{IDC_REMOVE[0], IDC_DEVICE_BUTTON[0], IDC_REMOVE[1],
                                             IDC_DEVICE_BUTTON[1], IDC_ADD_DEVICE, IDC_REMOVE[0]}));
    });
}

TEST_F(KeyboardTest, FocusedPushButtonsAreMarked) {
    sim::SimUnit& unit = StartUnit(1, 1, "UNIT");
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, unit));
        ASSERT_TRUE(WaitUntil([&] { return Active(dlg); }));
        // The platform's "Device 1" button and the owner-drawn remove button:
        // a dotted rectangle inside the edge, every other pixel inverted.
        struct Case {
            int id;
            int other;
            int inset;
        };
        const Case cases[] = {{IDC_DEVICE_BUTTON[0], IDC_REMOVE[0], 3},
                              {IDC_REMOVE[0], IDC_DEVICE_BUTTON[0], 2}};
        for (const Case& c : cases) {
            win::CWnd& button = *dlg.GetDlgItem(c.id);
            dlg.GetDlgItem(c.other)->SetFocus();
            Settle();
            const win::COLORREF plain = PixelAt(Grab(button), c.inset, c.inset);
            button.SetFocus();
            Settle();
            const win::COLORREF marked = PixelAt(Grab(button), c.inset, c.inset);
            EXPECT_EQ(marked, win::RGB(255 - win::GetRValue(plain), 255 - win::GetGValue(plain),
                                       255 - win::GetBValue(plain)))
                << c.id;
        }
    });
}

} // namespace
