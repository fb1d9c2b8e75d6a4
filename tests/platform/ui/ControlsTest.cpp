// The platform controls the windows use: IP address fields, radio groups,
// drop-down lists, sliders, edit limits, colour buttons, tooltips.

#include "platform/ui/CButton.h"
#include "platform/ui/CColorButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "platform/ui/CSliderCtrl.h"
#include "platform/ui/CToolTipCtrl.h"
#include "testsupport/ScriptedCommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace win;

namespace {

// A top-level parent that records the commands and notifications of its children.
class Parent : public CWnd {
public:
    struct Note {
        int id;
        int code;
        bool operator==(const Note&) const = default;
    };
    bool OnCommand(int id, int code) override {
        commands.push_back({id, code});
        return true;
    }
    bool OnNotify(int id, int code) override {
        notes.push_back({id, code});
        return true;
    }
    std::vector<Note> commands;
    std::vector<Note> notes;
};

class PlatformControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::EnsureApplication();
        ASSERT_TRUE(
            parent.Create("Controls", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    }
    const DWORD child = WS_CHILD | WS_VISIBLE;
    Parent parent;
};

TEST_F(PlatformControlsTest, IpAddressReadsBlankFieldsAsZero) {
    CIPAddressCtrl ip;
    ASSERT_TRUE(ip.Create(child, CRect(10, 10, 160, 32), &parent, 1110));
    BYTE a = 9, b = 9, c = 9, d = 9;
    EXPECT_TRUE(ip.IsBlank());
    EXPECT_EQ(ip.GetAddress(a, b, c, d), 0);
    EXPECT_EQ((std::array<int, 4>{a, b, c, d}), (std::array<int, 4>{0, 0, 0, 0}));

    const auto fields = ip.GetNative()->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 4);
    QTest::keyClicks(fields[0], "127.");
    QTest::keyClicks(fields[1], "300"); // over 255
    QTest::keyClicks(fields[3], "7");
    EXPECT_EQ(ip.GetAddress(a, b, c, d), 3);
    EXPECT_EQ((std::array<int, 4>{a, b, c, d}), (std::array<int, 4>{127, 255, 0, 7}));
    EXPECT_EQ(ip.GetWindowText(), "127.255.0.7");
    EXPECT_FALSE(parent.commands.empty());
    EXPECT_EQ(parent.commands.back(), (Parent::Note{1110, EN_CHANGE}));

    ip.SetAddress(0x7F150102);
    DWORD address = 0;
    EXPECT_EQ(ip.GetAddress(address), 4);
    EXPECT_EQ(address, 0x7F150102u);
    ip.ClearAddress();
    EXPECT_EQ(ip.GetAddress(address), 0);
    EXPECT_EQ(address, 0u);
}

// Keys typed as on a keyboard: each goes to the widget that has the focus
// then ('\b' is Backspace).
void Type(const char* keys) {
    for (const char* k = keys; *k != '\0'; ++k) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "before '" << *k << "'";
        QTest::keyClick(focus, *k);
    }
}

TEST_F(PlatformControlsTest, IpAddressTakesAnAddressTypedOrPastedInOneGo) {
    parent.GetNative()->activateWindow();
    ASSERT_TRUE(uitest::WaitUntil([&] { return parent.GetNative()->isActiveWindow(); }));
    struct Case {
        const char* keys;
        const char* address;
    } cases[] = {
        {"127.0.0.2", "127.0.0.2"},
        {"127.168.1.50", "127.168.1.50"},     // the dot after a third digit is passed already
        {"127 1 1 200", "127.1.1.200"},       // blanks move on as dots do
        {"1..2.3.4", "1.2.3.4"},              // a dot in an empty field stays there
        {"127.0.0.22\b\b\b\b5", "127.0.5.0"}, // Backspace crosses back into the field before
        {"999", "255.0.0.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        CIPAddressCtrl ip;
        ASSERT_TRUE(ip.Create(child | WS_TABSTOP, CRect(10, 10, 160, 32), &parent, 1110));
        ip.SetFocus();
        Type(c.keys);
        EXPECT_EQ(ip.GetAddressText(), c.address);
    }

    CIPAddressCtrl ip;
    ASSERT_TRUE(ip.Create(child | WS_TABSTOP, CRect(10, 10, 160, 32), &parent, 1110));
    CEdit next;
    ASSERT_TRUE(next.Create(child | WS_TABSTOP, CRect(10, 40, 160, 62), &parent, 1111));
    ip.SetAddress(10, 0, 0, 1);
    ip.SetFocus();
    QApplication::clipboard()->setText(QStringLiteral(" 127.0.0.2\n"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ip.GetAddressText(), "127.0.0.2");
    EXPECT_EQ(parent.commands.back(), (Parent::Note{1110, EN_CHANGE}));
    // Left at the start of a field goes back into the one before; Tab leaves the control.
    Type("\b");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    Type("\b9");
    EXPECT_EQ(ip.GetAddressText(), "127.0.9.0");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_FALSE(ip.GetNative()->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(PlatformControlsTest, AutoRadioButtonsClearTheirGroupOnly) {
    CButton r1, r2, r3, r4;
    ASSERT_TRUE(r1.Create("Scan", child | WS_GROUP | BS_AUTORADIOBUTTON, CRect(10, 10, 90, 30),
                          &parent, 1));
    ASSERT_TRUE(r2.Create("Direct", child | BS_AUTORADIOBUTTON, CRect(10, 30, 90, 50), &parent, 2));
    ASSERT_TRUE(
        r3.Create("1:8", child | WS_GROUP | BS_AUTORADIOBUTTON, CRect(10, 60, 90, 80), &parent, 3));
    ASSERT_TRUE(r4.Create("2:4", child | BS_AUTORADIOBUTTON, CRect(10, 80, 90, 100), &parent, 4));
    r1.SetCheck(BST_CHECKED);
    r3.SetCheck(BST_CHECKED);
    QTest::mouseClick(r2.GetNative(), Qt::LeftButton);
    EXPECT_EQ(r1.GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(r2.GetCheck(), BST_CHECKED);
    EXPECT_EQ(r3.GetCheck(), BST_CHECKED);             // other group
    QTest::mouseClick(r2.GetNative(), Qt::LeftButton); // a second click keeps it
    EXPECT_EQ(r2.GetCheck(), BST_CHECKED);
    EXPECT_EQ(parent.commands.back(), (Parent::Note{2, BN_CLICKED}));
}

TEST_F(PlatformControlsTest, DropDownListTellsAChoiceFromTheListApart) {
    CComboBox list;
    ASSERT_TRUE(list.Create(child | CBS_DROPDOWNLIST, CRect(10, 10, 150, 34), &parent, 11));
    EXPECT_EQ(list.AddString("LL"), 0);
    EXPECT_EQ(list.AddString("UL"), 1);
    EXPECT_EQ(list.AddString("C1"), 2);
    EXPECT_EQ(list.GetCurSel(), CB_ERR); // nothing chosen yet
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_TRUE(parent.commands.empty()); // SetCurSel tells nobody
    EXPECT_EQ(list.SetCurSel(7), CB_ERR);
    EXPECT_EQ(list.GetCurSel(), CB_ERR);
    EXPECT_EQ(list.GetLBText(2), "C1");

    list.SetCurSel(0);
    list.SetFocus();
    QTest::keyClick(list.GetNative(), Qt::Key_Down);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(parent.commands, (std::vector<Parent::Note>{{11, CBN_SELCHANGE}}));

    parent.commands.clear();
    auto* combo = static_cast<QComboBox*>(list.GetNative());
    combo->showPopup();
    auto* view = combo->view();
    ASSERT_TRUE(uitest::WaitUntil([&] { return view->isVisible(); }));
    const QRect item = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      QPoint(view->viewport()->width() / 2, item.center().y()));
    ASSERT_TRUE(uitest::WaitUntil([&] { return parent.commands.size() >= 2; }));
    EXPECT_EQ(parent.commands,
              (std::vector<Parent::Note>{{11, CBN_SELCHANGE}, {11, CBN_SELENDOK}}));
    EXPECT_EQ(list.GetCurSel(), 2);
}

TEST_F(PlatformControlsTest, SliderKeepsItsPositionInsideTheRange) {
    CSliderCtrl slider;
    slider.SetRange(-12, 12); // before the window exists
    ASSERT_TRUE(slider.Create(child, CRect(0, 0, 202, 30), &parent, 1500));
    EXPECT_EQ(slider.GetRangeMin(), -12);
    EXPECT_EQ(slider.GetRangeMax(), 12);
    slider.SetPos(40);
    EXPECT_EQ(slider.GetPos(), 12);
    slider.SetRange(0, 5);
    EXPECT_EQ(slider.GetPos(), 5);
}

TEST_F(PlatformControlsTest, EditLimitCountsCharactersTyped) {
    CEdit edit;
    ASSERT_TRUE(edit.Create(child | ES_AUTOHSCROLL, CRect(0, 0, 100, 24), &parent, 11));
    edit.SetLimitText(3);
    edit.SetFocus();
    QTest::keyClicks(edit.GetNative(), "12345");
    EXPECT_EQ(edit.GetWindowText(), "123");
    EXPECT_EQ(parent.commands.back(), (Parent::Note{11, EN_CHANGE}));

    // A longer text from the program is shown whole; typing waits until it is shorter.
    edit.SetWindowText("123456");
    EXPECT_EQ(edit.GetWindowText(), "123456");
    QTest::keyClick(edit.GetNative(), Qt::Key_End);
    QTest::keyClicks(edit.GetNative(), "7");
    EXPECT_EQ(edit.GetWindowText(), "123456");
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(edit.GetNative(), Qt::Key_Backspace);
    }
    QTest::keyClicks(edit.GetNative(), "89");
    EXPECT_EQ(edit.GetWindowText(), "128");
}

TEST_F(PlatformControlsTest, ColourButtonOpensThePickerWithItsColour) {
    auto scripted = std::make_unique<ScriptedCommonDialogs>();
    ScriptedCommonDialogs* dialogs = scripted.get();
    auto previous = CommonDialogs::Install(std::move(scripted));
    CColorButton button;
    ASSERT_TRUE(button.Create("", child, CRect(0, 0, 40, 20), &parent, 1094));
    button.SetColor(RGB(128, 128, 128));
    dialogs->CancelColor();
    dialogs->AnswerColor(RGB(255, 0, 0));
    button.Click(); // cancelled: nothing changes, nobody is told
    EXPECT_EQ(button.GetColor(), RGB(128, 128, 128));
    EXPECT_TRUE(parent.commands.empty());
    button.Click();
    EXPECT_EQ(button.GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(parent.commands, (std::vector<Parent::Note>{{1094, BN_CLICKED}}));
    ASSERT_EQ(dialogs->History().size(), 2u);
    EXPECT_EQ(dialogs->History()[1].color.initial, RGB(128, 128, 128));
    CommonDialogs::Install(std::move(previous));
}

TEST_F(PlatformControlsTest, TooltipsAttachToTheirWindows) {
    CButton button;
    ASSERT_TRUE(button.Create("Add Device", child, CRect(0, 0, 80, 24), &parent, 1069));
    CToolTipCtrl tips;
    EXPECT_FALSE(tips.AddTool(&button, "x")); // not created yet
    ASSERT_TRUE(tips.Create(&parent, TTS_ALWAYSTIP | TTS_BALLOON));
    EXPECT_TRUE(tips.AddTool(&button, "Adds a unit"));
    EXPECT_EQ(button.GetNative()->toolTip(), QString("Adds a unit"));
    std::string text;
    EXPECT_TRUE(tips.GetText(text, &button));
    EXPECT_EQ(text, "Adds a unit");
}

} // namespace
