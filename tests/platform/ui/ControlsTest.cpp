// The platform's windows and controls: messages and timers, IP address
// fields, radio groups, drop-down lists, sliders, edit limits, tooltips and
// the colours a parent answers.

#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "platform/ui/CSliderCtrl.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CToolTipCtrl.h"
#include "testsupport/UiTestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <tuple>

using namespace win;

namespace {

using Note = std::pair<int, int>; // id, code
using Message = std::tuple<UINT, WPARAM, LPARAM>;

// A top-level window that records what reaches it: messages of the program's
// own range, its children's commands and notifications, scrolls, timer ticks.
class Parent : public CWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override {
        if (message >= WM_USER) {
            log->emplace_back(message, w, l);
        }
        if (message == WM_TIMER) {
            ++ticks[w];
        }
        return message == WM_USER + 9 ? 42 : CWnd::WindowProc(message, w, l);
    }
    bool OnCommand(int id, int code) override {
        commands.emplace_back(id, code);
        return true;
    }
    bool OnNotify(int id, int code) override {
        notes.emplace_back(id, code);
        return true;
    }
    void OnHScroll(UINT code, UINT pos, CWnd* bar) override { scroll = {code, pos, bar}; }
    bool OnMouseMove(UINT flags, CPoint) override {
        moveFlags = flags;
        return true;
    }
    // With a brush, it answers its children's colour requests.
    const CBrush* OnCtlColor(CDC& dc, CWnd* wnd, UINT kind) override {
        if (!brush) {
            return CWnd::OnCtlColor(dc, wnd, kind);
        }
        colourKinds.insert(kind);
        dc.SetTextColor(RGB(255, 251, 240));
        return &*brush;
    }
    Note Last() const { return commands.empty() ? Note{} : commands.back(); }
    std::vector<Note> commands, notes;
    std::vector<Message> messages;
    std::vector<Message>* log = &messages;
    std::map<WPARAM, int> ticks;
    std::tuple<UINT, UINT, CWnd*> scroll{};
    std::optional<CBrush> brush;
    std::set<UINT> colourKinds;
    UINT moveFlags = 0;
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

// Posted messages arrive later, in order, sent ones at once; a window's posted
// messages go with it. Commands, notifications and scrolls reach their handlers;
// timers tick by id until killed.
TEST_F(PlatformControlsTest, PostedMessagesArriveLaterInOrderSentOnesAtOnce) {
    EXPECT_TRUE(parent.PostMessage(WM_USER + 1, 1, 10));
    EXPECT_TRUE(parent.PostMessage(0x662, 1011, -5));
    EXPECT_TRUE(parent.messages.empty());
    EXPECT_EQ(parent.SendMessage(WM_USER + 9, 2, 3), 42);
    ASSERT_EQ(parent.messages.size(), 1u);
    std::vector<Message> gone;
    {
        Parent shortLived;
        shortLived.log = &gone;
        ASSERT_TRUE(shortLived.Create("", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
        EXPECT_TRUE(shortLived.PostMessage(WM_USER, 0, 0));
    }
    uitest::Settle();
    EXPECT_TRUE(gone.empty());
    EXPECT_EQ(parent.messages,
              (std::vector<Message>{{WM_USER + 9, 2, 3}, {WM_USER + 1, 1, 10}, {0x662, 1011, -5}}));
    EXPECT_FALSE(CWnd().PostMessage(WM_USER, 0, 0));

    EXPECT_EQ(parent.SendMessage(WM_COMMAND, MAKEWPARAM(1069, EN_CHANGE), 0), 1);
    EXPECT_EQ(parent.Last(), (Note{1069, EN_CHANGE}));
    parent.SendMessage(WM_NOTIFY, 1011, TCN_SELCHANGE);
    EXPECT_EQ(parent.notes, (std::vector<Note>{{1011, TCN_SELCHANGE}}));
    Parent bar;
    parent.SendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 37), bar.ToLParam());
    EXPECT_EQ(parent.scroll, std::make_tuple(UINT{SB_THUMBTRACK}, 37u, static_cast<CWnd*>(&bar)));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::ShiftModifier); // a hover with Shift held, no button down
    QApplication::sendEvent(parent.GetNative(), &move);
    EXPECT_EQ(parent.moveFlags, UINT{MK_SHIFT});
    EXPECT_EQ(parent.SetTimer(250, 10), 250u);
    EXPECT_EQ(parent.SetTimer(1001, 30), 1001u);
    ASSERT_TRUE(uitest::WaitUntil([&] { return parent.ticks[250] >= 3 && parent.ticks[1001]; }));
    EXPECT_EQ((std::vector{parent.KillTimer(250), parent.KillTimer(250), parent.KillTimer(77)}),
              (std::vector{true, false, false}));
    const int ticks = parent.ticks[250];
    ASSERT_TRUE(uitest::WaitUntil([&] { return parent.ticks[1001] >= 3; }));
    EXPECT_EQ(parent.ticks[250], ticks);
    EXPECT_EQ(CWnd().SetTimer(5, 10), 0u); // no window yet
}

// Keys typed as on a keyboard: each goes to the widget that has the focus
// then ('\b' is Backspace, '<' the Left key).
void Type(const char* keys) {
    for (const char* k = keys; *k != '\0'; ++k) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr) << "before '" << *k << "'";
        if (*k == '<') {
            QTest::keyClick(focus, Qt::Key_Left);
        } else {
            QTest::keyClick(focus, *k);
        }
    }
}

// Addresses typed or pasted in one go; blank fields read as zero; Left at the
// start of a field goes back into the one before; Tab leaves the control.
TEST_F(PlatformControlsTest, IpAddressTakesAnAddressTypedOrPastedInOneGo) {
    parent.GetNative()->activateWindow();
    ASSERT_TRUE(uitest::WaitUntil([&] { return parent.GetNative()->isActiveWindow(); }));
    const std::pair<const char*, const char*> cases[] = {
        {"127.0.0.2", "127.0.0.2"},
        {"127.168.1.50", "127.168.1.50"},     // the dot after a third digit is passed already
        {"127 1 1 200", "127.1.1.200"},       // blanks move on as dots do
        {"1..2.3.4", "1.2.3.4"},              // a dot in an empty field stays there
        {"127.0.0.22\b\b\b\b5", "127.0.5.0"}, // Backspace crosses back into the field before
        {"999", "255.0.0.0"},
    };
    for (const auto& [keys, address] : cases) {
        CIPAddressCtrl ip;
        ASSERT_TRUE(ip.Create(child | WS_TABSTOP, CRect(10, 10, 160, 32), &parent, 1110));
        ip.SetFocus();
        Type(keys);
        EXPECT_EQ(ip.GetAddressText(), address) << keys;
    }

    CIPAddressCtrl ip;
    ASSERT_TRUE(ip.Create(child | WS_TABSTOP, CRect(10, 10, 160, 32), &parent, 1110));
    CEdit next;
    ASSERT_TRUE(next.Create(child | WS_TABSTOP, CRect(10, 40, 160, 62), &parent, 1111));
    EXPECT_TRUE(ip.IsBlank());
    BYTE f[4] = {9, 9, 9, 9};
    EXPECT_EQ(ip.GetAddress(f[0], f[1], f[2], f[3]), 0);
    EXPECT_EQ(f[0] | f[1] | f[2] | f[3], 0);
    const auto fields = ip.GetNative()->findChildren<QLineEdit*>();
    ASSERT_EQ(fields.size(), 4);
    QTest::keyClicks(fields[0], "127.");
    QTest::keyClicks(fields[1], "300"); // over 255
    EXPECT_EQ(fields[1]->text(), "255");
    QTest::keyClicks(fields[3], "7");
    DWORD address = 0;
    EXPECT_EQ(ip.GetAddress(address), 3);
    EXPECT_EQ(address, 0x7FFF0007u);
    EXPECT_EQ(ip.GetWindowText(), "127.255.0.7");
    EXPECT_EQ(parent.Last(), (Note{1110, EN_CHANGE}));
    ip.SetAddress(0x7F150102);
    EXPECT_EQ(ip.GetAddressText(), "127.21.1.2");

    parent.commands.clear();
    ip.SetFocus();
    QApplication::clipboard()->setText(QStringLiteral(" 127.0.0.2\n"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ip.GetAddressText(), "127.0.0.2");
    EXPECT_EQ(parent.Last(), (Note{1110, EN_CHANGE}));
    Type("\b<\b9");
    EXPECT_EQ(ip.GetAddressText(), "127.0.9.0");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_FALSE(ip.GetNative()->isAncestorOf(QApplication::focusWidget()));
    ip.ClearAddress();
    EXPECT_EQ(ip.GetAddress(address), 0);
}

TEST_F(PlatformControlsTest, AutoRadioButtonsClearTheirGroupOnlyAndTakeTooltips) {
    CButton r[4];
    const char* texts[] = {"Scan", "Direct", "1:8", "2:4"};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(r[i].Create(texts[i], child | BS_AUTORADIOBUTTON | (i % 2 ? 0 : WS_GROUP),
                                CRect(10, 10 + 25 * i, 90, 30 + 25 * i), &parent, i + 1));
    }
    r[0].SetCheck(BST_CHECKED);
    r[2].SetCheck(BST_CHECKED);
    QTest::mouseClick(r[1].GetNative(), Qt::LeftButton);
    EXPECT_EQ(r[0].GetCheck(), BST_UNCHECKED);
    EXPECT_EQ(r[1].GetCheck(), BST_CHECKED);
    EXPECT_EQ(r[2].GetCheck(), BST_CHECKED);             // other group
    QTest::mouseClick(r[1].GetNative(), Qt::LeftButton); // a second click keeps it
    EXPECT_EQ(r[1].GetCheck(), BST_CHECKED);
    EXPECT_EQ(parent.Last(), (Note{2, BN_CLICKED}));

    CToolTipCtrl tips;
    EXPECT_FALSE(tips.AddTool(&r[0], "x")); // not created yet
    ASSERT_TRUE(tips.Create(&parent, TTS_ALWAYSTIP | TTS_BALLOON));
    EXPECT_TRUE(tips.AddTool(&r[0], "Scans for units"));
    EXPECT_EQ(r[0].GetNative()->toolTip(), QString("Scans for units"));
    std::string text;
    EXPECT_TRUE(tips.GetText(text, &r[0]));
    EXPECT_EQ(text, "Scans for units");
}

TEST_F(PlatformControlsTest, DropDownListTellsAChoiceFromTheListApart) {
    CComboBox list;
    ASSERT_TRUE(list.Create(child | CBS_DROPDOWNLIST, CRect(10, 10, 150, 34), &parent, 11));
    EXPECT_EQ((std::vector{list.AddString("LL"), list.AddString("UL"), list.AddString("C1")}),
              (std::vector{0, 1, 2}));
    EXPECT_EQ(list.GetCurSel(), CB_ERR); // nothing chosen yet
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_TRUE(parent.commands.empty()); // SetCurSel tells nobody
    EXPECT_EQ(list.SetCurSel(3), CB_ERR); // one past the end
    EXPECT_EQ(list.GetCurSel(), CB_ERR);
    EXPECT_EQ(list.GetLBText(2), "C1");

    list.SetCurSel(0);
    list.SetFocus();
    QTest::keyClick(list.GetNative(), Qt::Key_Down);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(parent.commands, (std::vector<Note>{{11, CBN_SELCHANGE}}));

    parent.commands.clear();
    auto* combo = static_cast<QComboBox*>(list.GetNative());
    combo->showPopup();
    auto* view = combo->view();
    ASSERT_TRUE(uitest::WaitUntil([&] { return view->isVisible(); }));
    const QRect item = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      QPoint(view->viewport()->width() / 2, item.center().y()));
    ASSERT_TRUE(uitest::WaitUntil([&] { return parent.commands.size() >= 2; }));
    EXPECT_EQ(parent.commands, (std::vector<Note>{{11, CBN_SELCHANGE}, {11, CBN_SELENDOK}}));
    EXPECT_EQ(list.GetCurSel(), 2);
    parent.commands.clear();
    uitest::Settle();
    QTest::keyClick(list.GetNative(), Qt::Key_Up); // the list is closed again
    EXPECT_EQ(parent.commands, (std::vector<Note>{{11, CBN_SELCHANGE}}));
}

TEST_F(PlatformControlsTest, SliderAndEditKeepTheirValuesInsideTheirBounds) {
    CSliderCtrl slider;
    slider.SetRange(-12, 12); // before the window exists
    ASSERT_TRUE(slider.Create(child, CRect(0, 0, 202, 30), &parent, 1500));
    EXPECT_EQ(std::make_pair(slider.GetRangeMin(), slider.GetRangeMax()), std::make_pair(-12, 12));
    slider.SetPos(40);
    EXPECT_EQ(slider.GetPos(), 12);
    slider.SetRange(0, 5);
    EXPECT_EQ(slider.GetPos(), 5);
    QWheelEvent turn(QPointF(5, 5), QPointF(5, 5), {}, {0, -120}, Qt::NoButton, {},
                     Qt::NoScrollPhase, false); // the wheel reaches the control itself
    QApplication::sendEvent(slider.GetNative(), &turn);
    EXPECT_LT(slider.GetPos(), 5);

    // The edit limit counts characters typed.
    CEdit edit;
    ASSERT_TRUE(edit.Create(child | ES_AUTOHSCROLL, CRect(0, 0, 100, 24), &parent, 11));
    edit.SetLimitText(3);
    edit.SetFocus();
    QTest::keyClicks(edit.GetNative(), "12345");
    EXPECT_EQ(edit.GetWindowText(), "123");
    EXPECT_EQ(parent.Last(), (Note{11, EN_CHANGE}));
    // A longer text from the program is shown whole; typing waits until it is shorter.
    edit.SetWindowText("123456");
    EXPECT_EQ(edit.GetWindowText(), "123456");
    QTest::keyClick(edit.GetNative(), Qt::Key_End);
    QTest::keyClicks(edit.GetNative(), "7");
    EXPECT_EQ(edit.GetWindowText(), "123456");
    QTest::keyClicks(edit.GetNative(), "\b\b\b\b89");
    EXPECT_EQ(edit.GetWindowText(), "128");
}

TEST_F(PlatformControlsTest, StaticTextTakesItsParentsColoursAndGroupBoxesAreEtched) {
    parent.brush.emplace(RGB(0, 51, 102));
    CStatic label;
    ASSERT_TRUE(label.Create("Label", child | SS_LEFT, CRect(0, 0, 100, 40), &parent, 1025));
    uitest::Settle();
    const QImage image = uitest::Grab(label);
    EXPECT_EQ(uitest::PixelAt(image, 95, 35), RGB(0, 51, 102));
    EXPECT_GT(uitest::CountColour(image, RGB(255, 251, 240), 0, 0, 50, 20), 0); // text ink
    EXPECT_EQ(parent.colourKinds, std::set<UINT>{CTLCOLOR_STATIC});
    // A group box's etched frame, in the default colours: the shadow line outside, the light
    // one inside.
    parent.brush.reset();
    CButton group;
    ASSERT_TRUE(group.Create("", child | BS_GROUPBOX, CRect(0, 0, 100, 60), &parent, 1));
    uitest::Settle();
    const QImage frame = uitest::Grab(group);
    int y = 0;
    while (y < 59 && uitest::PixelAt(frame, 50, y) == uitest::PixelAt(frame, 50, 0)) {
        ++y;
    }
    EXPECT_EQ(uitest::PixelAt(frame, 50, y), GetSysColor(COLOR_BTNSHADOW)) << y;
    EXPECT_EQ(uitest::PixelAt(frame, 50, y + 1), GetSysColor(COLOR_BTNHIGHLIGHT)) << y;
}

// A filled rectangle keeps inside its corners; a single line of text centres
// both ways in its rectangle.
TEST(PlatformDrawingTest, RectanglesAndCentredTextStayInPlace) {
    uitest::EnsureApplication();
    QImage image(60, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        CDC dc(painter, DefaultGuiFont());
        CBrush red(RGB(255, 0, 0));
        dc.SelectObject(&red);
        dc.Rectangle(10, 10, 20, 20);
        CRect text(0, 40, 60, 100);
        dc.DrawText("X", text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    EXPECT_EQ(uitest::CountColour(image, RGB(255, 0, 0), 0, 20, 60, 20), 0);
    EXPECT_EQ(uitest::CountNear(image, RGB(0, 0, 0), 0, 40, 60, 12, 100), 0); // not at the top
    EXPECT_EQ(uitest::CountNear(image, RGB(0, 0, 0), 0, 40, 20, 60, 100), 0); // nor at the left
    EXPECT_GT(uitest::CountNear(image, RGB(0, 0, 0), 20, 60, 20, 20, 100), 0);
}

} // namespace
