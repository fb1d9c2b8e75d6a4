// The slider on a real window: painting, mouse, keys, wheel and the messages it posts.

#include "tests/toolkit/TestWindows.h"
#include "toolkit/SliderGeometry.h"
#include "toolkit/Sliderplus.h"

#include <QApplication>
#include <QDialog>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <sstream>

using namespace win;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
constexpr int kSliderId = 1029;

class SliderTest : public ::testing::Test {
protected:
    SliderTest() {
        // A 202-pixel client area, 20 pixels high.
        slider.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 212, 30), &parent, kSliderId);
        slider.SetRange(0, 100);
        slider.SetPos(0);
    }
    QWidget* W() { return slider.GetNative(); }
    void Wheel(int turn) {
        QWheelEvent e(QPointF(100, 10), QPointF(W()->mapToGlobal(QPoint(100, 10))), QPoint(),
                      QPoint(0, turn), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(W(), &e);
    }
    // The posted messages, one word each: L, R, P, T for SB_LINELEFT (0),
    // SB_LINERIGHT (1), SB_THUMBPOSITION (4), SB_THUMBTRACK (5) and V for
    // SliderValueSet, each with its signed position.
    std::string Received() {
        std::string out;
        for (const auto& m : parent.messages) {
            if (m.message == WM_HSCROLL) {
                EXPECT_EQ(CWnd::FromLParam(m.lParam), &slider);
                out += std::string(" ") + "LR??PT?"[std::min(LOWORD(m.wParam), 6u)];
                out += std::to_string(static_cast<short>(HIWORD(m.wParam)));
            } else if (m.message == SliderValueSet) {
                EXPECT_EQ(m.wParam, static_cast<WPARAM>(kSliderId));
                out += " V" + std::to_string(m.lParam);
            }
        }
        return out.empty() ? out : out.substr(1);
    }
    // Waits for `expected` and a little longer for any extra messages.
    std::string WaitFor(const std::string& expected) {
        WaitUntil([&] { return Received().size() >= expected.size(); });
        Settle();
        return Received();
    }
    // Words of a script: press (P), move (M), release (R) at x; turn the wheel
    // (W) by so much; click the key Right, Left, Up, Down, Home, End or Page
    // Up (r, l, u, d, h, e, p).
    void Act(const std::string& script) {
        std::istringstream words(script);
        for (std::string w; words >> w;) {
            const int arg = w.size() > 1 ? std::stoi(w.substr(1)) : 0;
            const QPoint at(arg, 10);
            if (w[0] == 'P') {
                QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, at);
                EXPECT_TRUE(slider.IsDragging());
            } else if (w[0] == 'M') {
                QTest::mouseMove(W(), at);
            } else if (w[0] == 'R') {
                QTest::mouseRelease(W(), Qt::LeftButton, Qt::NoModifier, at);
                EXPECT_FALSE(slider.IsDragging());
            } else if (w[0] == 'W') {
                Wheel(arg);
            } else {
                const std::string keys = "rludhep";
                const Qt::Key key[] = {Qt::Key_Right, Qt::Key_Left, Qt::Key_Up,    Qt::Key_Down,
                                       Qt::Key_Home,  Qt::Key_End,  Qt::Key_PageUp};
                QTest::keyClick(W(), key[keys.find(w[0])]);
            }
        }
    }

    MessageLog parent;
    Sliderplus slider;
};

TEST_F(SliderTest, MouseKeysAndWheelMoveItPostAndDrawTheThumb) {
    const struct {
        int lo, hi, start;
        std::string acts;
        int pos;
        std::string posted;
    } cases[] = {
        {0, 100, 0, "P100 R100", 50, "T50 T50 V50 P50"},
        // Tracking for every move, then the final position.
        {0, 100, 0, "P20 M60 M150 R150", 75, "T10 T30 T75 T75 V75 P75"},
        // Past either end: the range; negative positions survive.
        {-12, 12, 0, "P-50 R-50 P100 M400 R400", 12, "T-12 T-12 V-12 P-12 T0 T12 T12 V12 P12"},
        {5, 5, 5, "P0 R0", 5, "T5 T5 V5 P5"}, // drawn as 4..5
        // Arrows step and stop at the ends; Home, End and the page keys do nothing.
        {-2, 2, 1, "r d e p h l u", 0, "R2 V2 L1 V1 L0 V0"},
        // The wheel steps as the keys (away from the user as Up), a notch in parts.
        {-2, 2, 0, "W120 W-240 W-60 W-60 W-120", 2, "L-1 V-1 R0 V0 R1 V1 R2 V2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.posted);
        slider.SetRange(c.lo, c.hi);
        slider.SetPos(c.start);
        parent.messages.clear();
        Act(c.acts);
        EXPECT_EQ(slider.GetPos(), c.pos);
        EXPECT_EQ(WaitFor(c.posted), c.posted);
        // The red thumb outline, hollow, nothing else red; into the border
        // line at x = 201 its edges stop short and it has no right side.
        const QImage img = Grab(slider);
        const SliderThumb t =
            SliderThumbFor(MakeSliderScale(202, c.lo, c.hi), c.pos, 0, 0, 202, 20);
        const int across = t.topEdgeEnd - t.left + 1, down = t.bottom - t.top + 1;
        EXPECT_EQ(CountColour(img, kRed, t.left, t.top, across, 1), across);
        EXPECT_EQ(CountColour(img, kRed, t.left, t.bottom, across, 1), across);
        EXPECT_EQ(CountColour(img, kRed, t.left, t.top, 1, down), down);
        EXPECT_EQ(CountColour(img, kRed, t.right, t.top, 1, down), t.rightSide ? down : 0);
        EXPECT_EQ(CountColour(img, kRed), 2 * across + (t.rightSide ? 2 : 1) * (down - 2));
    }
}

TEST_F(SliderTest, ScaleAndBorderInBlackOnWhite) {
    // 17 pixels high, as on the pages.
    slider.MoveWindow(10, 10, 202, 17);
    slider.SetPos(50); // thumb out of the way of the first ticks
    const QImage img = Grab(slider);
    EXPECT_EQ(CountColour(img, kBlack, 201, 0, 1, 17), 17); // border line
    const SliderTicks t = SliderTicksFor(0, 0, 202, 17);
    for (int x : {t.longX[0], t.longX[3], t.longX[8]}) {
        EXPECT_EQ(CountColour(img, kBlack, x, t.longTop, 1, 7), 7) << x;
        EXPECT_EQ(PixelAt(img, x, t.longTop - 1), kWhite) << x;
        EXPECT_EQ(PixelAt(img, x, t.longBottom), kWhite) << x;
    }
    for (int x : {t.shortX[0], t.shortX[8]}) { // drawn upwards, the top end not drawn
        EXPECT_EQ(CountColour(img, kBlack, x, t.shortBottom + 1, 1, 3), 3) << x;
        EXPECT_EQ(PixelAt(img, x, t.shortBottom), kWhite) << x;
        EXPECT_EQ(PixelAt(img, x, t.shortTop + 1), kWhite) << x;
    }
    EXPECT_EQ(PixelAt(img, 50, 1), kWhite);
}

// A drag that loses the mouse, to a modal box opening over it or to the
// slider being hidden, ends where the thumb is, as a release there would;
// the next press starts a new drag.
TEST_F(SliderTest, DragThatLosesTheMouseEndsWhereTheThumbIs) {
    for (const bool modalBox : {true, false}) {
        SCOPED_TRACE(modalBox);
        parent.messages.clear();
        Act("P20 M60");
        QDialog box;
        if (modalBox) {
            box.setWindowModality(Qt::ApplicationModal);
            box.show();
        } else {
            slider.ShowWindow(SW_HIDE);
        }
        EXPECT_FALSE(slider.IsDragging());
        EXPECT_EQ(WaitFor("T10 T30 T30 V30 P30"), "T10 T30 T30 V30 P30");
        box.hide();
        slider.ShowWindow(SW_SHOW);
        Act("P150");
        EXPECT_EQ(slider.GetPos(), 75);
        Act("R150");
        const std::string all = "T10 T30 T30 V30 P30 T75 T75 V75 P75";
        EXPECT_EQ(WaitFor(all), all);
    }
}

TEST_F(SliderTest, DisabledPaintsGreyAndIgnoresInput) {
    struct Companion : Tplus {
        int shown = -1, disabled = -1;
        void Show(bool s) override { shown = s; }
        void SetDisabled(bool d) override { disabled = d; }
    } companion;
    slider.SetCompanion(&companion);
    slider.SetPos(30);
    slider.SetDisabled(true);
    EXPECT_EQ(companion.disabled, 1);
    EXPECT_FALSE(slider.IsDisabled());
    EXPECT_EQ(PixelAt(Grab(slider), 50, 1), RGB(128, 128, 128));
    QTest::mouseClick(W(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 10));
    QTest::keyClick(W(), Qt::Key_Right);
    Wheel(WHEEL_DELTA);
    slider.SetDisabled(false);
    // The middle and right buttons would move the platform slider.
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton}) {
        QTest::mouseClick(W(), button, Qt::NoModifier, QPoint(150, 10));
        QTest::mouseDClick(W(), button, Qt::NoModifier, QPoint(150, 10));
    }
    Settle();
    EXPECT_EQ(slider.GetPos(), 30);
    EXPECT_EQ(qobject_cast<QSlider*>(W())->value(), 30);
    EXPECT_EQ(Received(), "");
    EXPECT_EQ(companion.disabled, 0);
    slider.Show(false);
    EXPECT_EQ(companion.shown, 0);
    EXPECT_FALSE(W()->isVisible());
}

} // namespace
