// Dialogs built from templates: places in dialog units, controls made by kind
// or bound to members, and the commands that end a modal dialog.

#include "platform/ui/CButton.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/TabOrder.h"
#include "testsupport/UiTestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace win;
using uitest::WhenReady;

namespace {

DialogTemplate SampleTemplate() {
    DialogTemplate t;
    t.caption = "Sample";
    t.cx = 200;
    t.cy = 100;
    t.items = {LTEXT("Name:", IDC_STATIC, 7, 9, 30, 8),
               EDITTEXT(1001, 40, 7, 80, 12),
               Hidden(LTEXT("hidden", 1002, 7, 30, 40, 8)),
               PUSHBUTTON("Apply", 1003, 7, 80, 50, 14),
               DEFPUSHBUTTON("OK", IDOK, 90, 80, 50, 14),
               PUSHBUTTON("Cancel", IDCANCEL, 143, 80, 50, 14)};
    return t;
}

class SampleDlg : public CDialogEx {
public:
    SampleDlg() : CDialogEx(SampleTemplate()) {}
    CEdit name;
    std::vector<int> commands;
    std::function<void()> onInit;

    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1001, name); }
    bool OnInitDialog() override {
        CDialogEx::OnInitDialog();
        if (onInit) {
            onInit();
        }
        return true;
    }
    bool OnCommand(int id, int code) override {
        commands.push_back(id);
        return CDialogEx::OnCommand(id, code);
    }
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { uitest::EnsureApplication(); }
};

TEST_F(DialogTest, DialogUnitsFollowTheBaseUnits) {
    const DialogUnits du(7, 16);
    struct Case {
        int x, y, cx, cy;
        CRect px;
    } cases[] = {
        {0, 0, 4, 8, CRect(0, 0, 7, 16)},
        {7, 9, 30, 8, CRect(12, 18, 12 + 53, 18 + 16)}, // 7*7/4 = 12.25, 30*7/4 = 52.5 -> 53
        {2, 1, 1, 3, CRect(4, 2, 4 + 2, 2 + 6)},        // halves round away from zero
    };
    for (const Case& c : cases) {
        EXPECT_EQ(du.ToPixels(c.x, c.y, c.cx, c.cy), c.px) << c.x << "," << c.y;
    }
    const DialogUnits font = DialogUnits::ForFont(FontFromPoints("Segoe UI", 10));
    EXPECT_GT(font.BaseX(), 3);
    EXPECT_GT(font.BaseY(), 10);
}

TEST(TabOrder, ReadingOrderTakesRowsTopDownThenLeftToRight) {
    // A row's controls need not share a top: a button a unit higher than
    // the check box beside it is still in its row.
    const std::vector<CRect> places = {
        CRect(596, 354, 686, 374), // "Hard Copy", row 3 right
        CRect(382, 356, 560, 372), // check box, row 3 left
        CRect(218, 76, 352, 92),   // value, row 1 right
        CRect(72, 76, 206, 92),    // label, row 1 left
        CRect(72, 200, 206, 216),  // row 2
    };
    EXPECT_EQ(ReadingOrder(places), (std::vector<int>{3, 2, 4, 1, 0}));
    EXPECT_EQ(ReadingOrder({}), std::vector<int>{});
}

TEST_F(DialogTest, TemplateMakesEveryControlWithIdTextPlaceAndStyle) {
    SampleDlg dlg;
    dlg.onInit = [&] {
        const DialogUnits& du = dlg.Units();
        CRect client;
        dlg.GetClientRect(&client);
        EXPECT_EQ(client.Width(), du.X(200));
        EXPECT_EQ(client.Height(), du.Y(100));

        // The member is the control of id 1001; the others are made by kind.
        EXPECT_EQ(dlg.GetDlgItem(1001), &dlg.name);
        auto* apply = dynamic_cast<CButton*>(dlg.GetDlgItem(1003));
        ASSERT_NE(apply, nullptr);
        EXPECT_EQ(apply->GetWindowText(), "Apply");
        CRect r;
        apply->GetWindowRect(&r);
        dlg.ScreenToClient(&r);
        EXPECT_EQ(r, du.ToPixels(7, 80, 50, 14));
        EXPECT_NE(dynamic_cast<CStatic*>(dlg.GetDlgItem(1002)), nullptr);
        EXPECT_FALSE(dlg.GetDlgItem(1002)->GetStyle() & WS_VISIBLE);
        EXPECT_TRUE(dlg.GetDlgItem(1003)->GetStyle() & WS_VISIBLE);
        EXPECT_EQ(dlg.GetDlgItem(4711), nullptr);
        dlg.EndDialog(IDCANCEL);
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, ModalResultFollowsTheClosingCommand) {
    struct Case {
        const char* what;
        std::function<void(SampleDlg&)> act;
        INT_PTR result;
        int lastCommand;
    } cases[] = {
        {"Enter in the edit",
         [](SampleDlg& d) { QTest::keyClick(d.name.GetNative(), Qt::Key_Return); }, IDOK, IDOK},
        {"Escape", [](SampleDlg& d) { QTest::keyClick(d.name.GetNative(), Qt::Key_Escape); },
         IDCANCEL, IDCANCEL},
        {"close box", [](SampleDlg& d) { d.GetNative()->window()->close(); }, IDCANCEL, IDCANCEL},
        {"OK clicked",
         [](SampleDlg& d) { QTest::mouseClick(d.GetDlgItem(IDOK)->GetNative(), Qt::LeftButton); },
         IDOK, IDOK},
        {"Enter on a focused push button",
         [](SampleDlg& d) {
             d.GetDlgItem(1003)->SetFocus();
             QTest::keyClick(d.GetDlgItem(1003)->GetNative(), Qt::Key_Return);
             d.EndDialog(7);
         },
         7, 1003},
    };
    for (const Case& c : cases) {
        SampleDlg dlg;
        // Active, so that the focus is where the window put it.
        WhenReady([&] { return dlg.IsWindowVisible() && dlg.GetNative()->isActiveWindow(); },
                  [&] { c.act(dlg); });
        EXPECT_EQ(dlg.DoModal(), c.result) << c.what;
        ASSERT_FALSE(dlg.commands.empty()) << c.what;
        EXPECT_EQ(dlg.commands.back(), c.lastCommand) << c.what;
        EXPECT_FALSE(dlg.IsWindow()) << c.what; // destroyed at the end
    }
}

TEST_F(DialogTest, EachRunBuildsTheWindowAfresh) {
    SampleDlg dlg;
    for (int run = 0; run < 2; ++run) {
        WhenReady([&] { return dlg.IsWindowVisible(); },
                  [&] {
                      QTest::keyClicks(dlg.name.GetNative(), "abc");
                      dlg.EndDialog(IDOK);
                  });
        EXPECT_EQ(dlg.DoModal(), IDOK);
    }
}

TEST_F(DialogTest, MenuItemsSendTheirCommands) {
    CMenu menu;
    menu.LoadMenu({{"File", 0, {{"Save", 32780, {}}, {"", 0, {}, true}, {"Recall", 32775, {}}}},
                   {"Tools", 0, {{"Colour", 32771, {}}}}});
    SampleDlg dlg;
    dlg.SetMenu(&menu);
    dlg.onInit = [&] {
        auto* bar = dlg.GetNative()->window()->findChild<QMenuBar*>();
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(bar->actions().size(), 2);
        QMenu* file = bar->actions()[0]->menu();
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->actions().size(), 3);
        file->actions()[0]->trigger(); // queued like the platform's menu commands
        EXPECT_TRUE(dlg.commands.empty());
        WhenReady([&] { return !dlg.commands.empty(); }, [&] { dlg.EndDialog(IDOK); });
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.commands.front(), 32780);
}

} // namespace
