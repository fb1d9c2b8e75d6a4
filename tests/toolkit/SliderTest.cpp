// The slider on a real window: painting, mouse, keys and the messages it posts.

#include "tests/toolkit/TestWindows.h"
#include "toolkit/Sliderplus.h"

#include <QApplication>
#include <QDialog>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <gtest/gtest.h>

using namespace win;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kSliderId = 1029;

struct Posted {
    UINT message;
    int code;     // scroll code, or the id for SliderValueSet
    int position; // signed
    bool operator==(const Posted&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Posted& p) {
    return os << "{" << std::hex << p.message << std::dec << ", " << p.code << ", " << p.position
              << "}";
}

class SliderTest : public ::testing::Test {
protected:
    SliderTest() {
        // A 202-pixel client area, 20 pixels high.
        slider.Create(WS_CHILD | WS_VISIBLE, CRect(10, 10, 212, 30), &parent, kSliderId);
        slider.SetRange(0, 100);
        slider.SetPos(0);
    }

    QWidget* W() { return slider.GetNative(); }

    std::vector<Posted> Received() {
        std::vector<Posted> out;
        for (const auto& m : parent.messages) {
            if (m.message == WM_HSCROLL) {
                EXPECT_EQ(CWnd::FromLParam(m.lParam), &slider);
                out.push_back({m.message, static_cast<int>(LOWORD(m.wParam)),
                               static_cast<short>(HIWORD(m.wParam))});
            } else if (m.message == SliderValueSet) {
                out.push_back({m.message, static_cast<int>(m.wParam), static_cast<int>(m.lParam)});
            }
        }
        return out;
    }

    // Waits for `n` messages and a little longer for any extra ones.
    std::vector<Posted> WaitFor(std::size_t n) {
        WaitUntil([&] { return Received().size() >= n; });
        Settle();
        return Received();
    }

    MessageLog parent;
    Sliderplus slider;
};

Posted Scroll(int code, int pos) {
    return {WM_HSCROLL, code, pos};
}
Posted ValueSet(int pos) {
    return {SliderValueSet, kSliderId, pos};
}

} // namespace

TEST_F(SliderTest, ClickSetsPositionAndDrawsThumb) {
    QTest::mouseClick(W(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    EXPECT_EQ(slider.GetPos(), 50);
    const auto posted = WaitFor(4);
    const std::vector<Posted> expected = {Scroll(SB_THUMBTRACK, 50), Scroll(SB_THUMBTRACK, 50),
                                          ValueSet(50), Scroll(SB_THUMBPOSITION, 50)};
    EXPECT_EQ(posted, expected);

    const QImage img = Grab(slider);
    ASSERT_EQ(img.width(), 202);
    // Thumb outline from x = 98 to x = 104, y = 2 to y = 16 (20 - 3 - 1).
    const int top = 2, bottom = 20 - 3;
    EXPECT_EQ(PixelAt(img, 98, 10), kRed);
    EXPECT_EQ(PixelAt(img, 104, 10), kRed);
    EXPECT_EQ(CountColour(img, kRed, 98, top, 7, 1), 7);
    EXPECT_EQ(CountColour(img, kRed, 98, bottom, 7, 1), 7);
    EXPECT_EQ(CountColour(img, kRed), 2 * 7 + 2 * (bottom - top - 1)); // hollow, nothing else
}

TEST_F(SliderTest, ScaleAndBorderInBlackOnWhite) {
    // 17 pixels high, as on the pages: long ticks from y = 5 to 11, short ticks
    // drawn upwards from y = 10 to 8.
    slider.MoveWindow(10, 10, 202, 17);
    slider.SetPos(50); // thumb out of the way of the first ticks
    const QImage img = Grab(slider);
    constexpr COLORREF kBlack = RGB(0, 0, 0);
    EXPECT_EQ(CountColour(img, kBlack, 201, 0, 1, 17), 17); // border line
    const int s = 202 / 9;
    for (int x : {4, 4 + 3 * s, 4 + 8 * s}) {
        EXPECT_EQ(CountColour(img, kBlack, x, 5, 1, 7), 7) << x;
        EXPECT_EQ(PixelAt(img, x, 4), kWhite) << x;
        EXPECT_EQ(PixelAt(img, x, 12), kWhite) << x;
    }
    for (int x : {4 + s / 2, 4 + s / 2 + 8 * s}) {
        EXPECT_EQ(CountColour(img, kBlack, x, 8, 1, 3), 3) << x;
        EXPECT_EQ(PixelAt(img, x, 7), kWhite) << x;
        EXPECT_EQ(PixelAt(img, x, 11), kWhite) << x;
    }
    EXPECT_EQ(PixelAt(img, 50, 1), kWhite);
}

TEST_F(SliderTest, DragPostsTrackingForEveryMoveThenFinal) {
    QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_TRUE(slider.IsDragging());
    QTest::mouseMove(W(), QPoint(60, 10));
    QTest::mouseMove(W(), QPoint(150, 12));
    QTest::mouseRelease(W(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 12));
    EXPECT_FALSE(slider.IsDragging());
    EXPECT_EQ(slider.GetPos(), 75);
    const auto posted = WaitFor(6);
    const std::vector<Posted> expected = {Scroll(SB_THUMBTRACK, 10),
                                          Scroll(SB_THUMBTRACK, 30),
                                          Scroll(SB_THUMBTRACK, 75),
                                          Scroll(SB_THUMBTRACK, 75),
                                          ValueSet(75),
                                          Scroll(SB_THUMBPOSITION, 75)};
    EXPECT_EQ(posted, expected);
}

// A drag that loses the mouse, to a modal box opening over it or to the
// slider being hidden, ends where the thumb is, as a release there would;
// the next press starts a new drag.
TEST_F(SliderTest, DragThatLosesTheMouseEndsWhereTheThumbIs) {
    for (const bool modalBox : {true, false}) {
        SCOPED_TRACE(modalBox);
        QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
        QTest::mouseMove(W(), QPoint(60, 10));
        QDialog box;
        if (modalBox) {
            box.setWindowModality(Qt::ApplicationModal);
            box.show();
        } else {
            slider.ShowWindow(SW_HIDE);
        }
        EXPECT_FALSE(slider.IsDragging());
        const auto posted = WaitFor(5);
        ASSERT_EQ(posted.size(), 5u);
        EXPECT_EQ(posted[3], ValueSet(30));
        EXPECT_EQ(posted[4], Scroll(SB_THUMBPOSITION, 30));

        box.hide();
        slider.ShowWindow(SW_SHOW);
        parent.messages.clear();
        QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 10));
        EXPECT_TRUE(slider.IsDragging());
        EXPECT_EQ(slider.GetPos(), 75);
        QTest::mouseRelease(W(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 10));
        WaitFor(4);
        parent.messages.clear();
    }
}

TEST_F(SliderTest, DragPastTheEndStopsAtTheRange) {
    slider.SetRange(-12, 12);
    QTest::mousePress(W(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    QTest::mouseMove(W(), QPoint(400, 10));
    QTest::mouseRelease(W(), Qt::LeftButton, Qt::NoModifier, QPoint(400, 10));
    EXPECT_EQ(slider.GetPos(), 12);
    QTest::mouseClick(W(), Qt::LeftButton, Qt::NoModifier, QPoint(-50, 10));
    EXPECT_EQ(slider.GetPos(), -12);
    const auto posted = WaitFor(9);
    ASSERT_EQ(posted.size(), 9u);
    EXPECT_EQ(posted[4], Scroll(SB_THUMBPOSITION, 12));
    EXPECT_EQ(posted.back(), Scroll(SB_THUMBPOSITION, -12)); // negative positions survive
}

TEST_F(SliderTest, SingleValueRangeDrawsAsOneBelow) {
    slider.SetRange(5, 5);
    slider.SetPos(5);
    const QImage img = Grab(slider);
    // Drawn as 4..5: position 5 at x = 200, where the thumb meets the border.
    EXPECT_EQ(CountColour(img, kRed, 198, 2, 3, 1), 3);
    EXPECT_EQ(PixelAt(img, 201, 2), RGB(0, 0, 0)); // the border line stays
    // Any click keeps 5.
    QTest::mouseClick(W(), Qt::LeftButton, Qt::NoModifier, QPoint(0, 10));
    EXPECT_EQ(slider.GetPos(), 5);
}

TEST_F(SliderTest, ArrowKeysStepAndStopAtTheEnds) {
    slider.SetRange(-2, 2);
    slider.SetPos(1);
    QTest::keyClick(W(), Qt::Key_Right);
    EXPECT_EQ(slider.GetPos(), 2);
    QTest::keyClick(W(), Qt::Key_Down); // at the maximum: nothing
    QTest::keyClick(W(), Qt::Key_End);
    QTest::keyClick(W(), Qt::Key_PageUp);
    QTest::keyClick(W(), Qt::Key_Home);
    EXPECT_EQ(slider.GetPos(), 2);
    QTest::keyClick(W(), Qt::Key_Left);
    QTest::keyClick(W(), Qt::Key_Up);
    EXPECT_EQ(slider.GetPos(), 0);
    const auto posted = WaitFor(6);
    const std::vector<Posted> expected = {Scroll(SB_LINERIGHT, 2), ValueSet(2),
                                          Scroll(SB_LINELEFT, 1),  ValueSet(1),
                                          Scroll(SB_LINELEFT, 0),  ValueSet(0)};
    EXPECT_EQ(posted, expected);
}

TEST_F(SliderTest, WheelStepsAsTheKeysAndOtherButtonsDoNothing) {
    const auto wheel = [this](int turn) {
        QWheelEvent e(QPointF(100, 10), QPointF(W()->mapToGlobal(QPoint(100, 10))), QPoint(),
                      QPoint(0, turn), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(W(), &e);
    };
    slider.SetRange(-2, 2);
    slider.SetPos(0);
    wheel(WHEEL_DELTA); // away from the user: as Up
    EXPECT_EQ(slider.GetPos(), -1);
    wheel(-2 * WHEEL_DELTA);
    EXPECT_EQ(slider.GetPos(), 1);
    wheel(-WHEEL_DELTA / 2); // half a notch, then the other half
    EXPECT_EQ(slider.GetPos(), 1);
    wheel(-WHEEL_DELTA / 2);
    EXPECT_EQ(slider.GetPos(), 2);
    wheel(-WHEEL_DELTA); // at the maximum: nothing
    const std::vector<Posted> expected = {
        Scroll(SB_LINELEFT, -1), ValueSet(-1), Scroll(SB_LINERIGHT, 0), ValueSet(0),
        Scroll(SB_LINERIGHT, 1), ValueSet(1),  Scroll(SB_LINERIGHT, 2), ValueSet(2)};
    EXPECT_EQ(WaitFor(8), expected);

    // The middle and right buttons would move the platform slider.
    parent.messages.clear();
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton}) {
        QTest::mouseClick(W(), button, Qt::NoModifier, QPoint(20, 10));
        QTest::mouseDClick(W(), button, Qt::NoModifier, QPoint(20, 10));
    }
    // Disabled, the wheel does nothing either.
    slider.SetDisabled(true);
    wheel(WHEEL_DELTA);
    Settle();
    EXPECT_EQ(slider.GetPos(), 2);
    EXPECT_EQ(qobject_cast<QSlider*>(W())->value(), 2);
    EXPECT_TRUE(parent.messages.empty());
}

TEST_F(SliderTest, DisabledPaintsGreyAndIgnoresInput) {
    struct Companion : Tplus {
        int shown = -1;
        int disabled = -1;
        void Show(bool s) override { shown = s; }
        void SetDisabled(bool d) override { disabled = d; }
    } companion;
    slider.SetCompanion(&companion);
    slider.SetPos(30);
    slider.SetDisabled(true);
    EXPECT_EQ(companion.disabled, 1);
    EXPECT_FALSE(slider.IsDisabled());
    const QImage img = Grab(slider);
    EXPECT_EQ(PixelAt(img, 50, 1), RGB(128, 128, 128));

    QTest::mouseClick(W(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 10));
    QTest::keyClick(W(), Qt::Key_Right);
    Settle();
    EXPECT_EQ(slider.GetPos(), 30);
    EXPECT_TRUE(Received().empty());

    slider.SetDisabled(false);
    EXPECT_EQ(companion.disabled, 0);
    slider.Show(false);
    EXPECT_EQ(companion.shown, 0);
    EXPECT_FALSE(W()->isVisible());
}
