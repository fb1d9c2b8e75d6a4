// Lights, buttons, static texts, pictures and the tab strip on a real window.

#include "infra/ColorScheme.h"
#include "platform/ui/CImage.h"
#include "platform/ui/CImageList.h"
#include "tests/toolkit/TestWindows.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/Contrast.h"
#include "toolkit/ControlGeometry.h"
#include "toolkit/Lights.h"
#include "toolkit/Pictureplus.h"
#include "toolkit/Staticball.h"
#include "toolkit/Staticplus.h"
#include "toolkit/Tabctrlplus.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>

using namespace win;

namespace {
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
} // namespace

TEST(Lights, BallCentredInA40PixelControl) {
    MessageLog parent;
    Staticball ball;
    ball.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 50), &parent, 1024);
    ball.SetShape(LightShape::Bar); // a ball stays a ball
    EXPECT_EQ(ball.GetShape(), LightShape::Ball);
    ball.SetLightColor(kGreen, kRed);
    const QImage img = Grab(ball);
    // Outline rows 12 and 26 at the centre column, filled between, nothing outside.
    EXPECT_EQ(PixelAt(img, 7, 12), kRed);
    EXPECT_EQ(PixelAt(img, 7, 26), kRed);
    EXPECT_EQ(PixelAt(img, 7, 19), kGreen);
    for (COLORREF c : {kRed, kGreen}) {
        EXPECT_EQ(CountColour(img, c, 0, 0, 40, 12), 0);
        EXPECT_EQ(CountColour(img, c, 0, 27, 40, 13), 0);
        EXPECT_EQ(CountColour(img, c, 15, 0, 25, 40), 0);
    }
}

TEST(Lights, BarAndDefaultColours) {
    MessageLog parent;
    Lights bar;
    bar.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 30), &parent, 1100);
    // Before a colour is set: black outline, white fill.
    bar.SetShape(LightShape::Bar);
    QImage img = Grab(bar);
    EXPECT_EQ(PixelAt(img, 0, 6), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(img, 7, 9), RGB(255, 255, 255));
    bar.SetLightColor(RGB(255, 255, 0), RGB(0, 0, 0));
    img = Grab(bar);
    // 15 x 7 from y = 6 (20 - 7 = 13 free, 6 above).
    EXPECT_EQ(CountColour(img, RGB(0, 0, 0), 0, 6, 15, 1), 15);
    EXPECT_EQ(CountColour(img, RGB(0, 0, 0), 0, 12, 15, 1), 15);
    EXPECT_EQ(CountColour(img, RGB(255, 255, 0), 1, 7, 13, 5), 13 * 5);
    EXPECT_EQ(CountColour(img, RGB(0, 0, 0), 0, 13, 40, 7), 0);
}

namespace {
constexpr COLORREF kFace = RGB(200, 200, 100);
constexpr COLORREF kHigh = RGB(250, 250, 250);
constexpr COLORREF kShadow = RGB(50, 50, 50);
constexpr COLORREF kBtnText = RGB(0, 0, 200);
constexpr COLORREF kBtnDisabled = RGB(120, 0, 120);

struct ButtonFixture : ::testing::Test {
    ButtonFixture() {
        button.Create("Apply", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40),
                      &parent, 1063);
        button.SetButtonStyle(BS_OWNERDRAW);
        button.SetButtonColors(kFace, kHigh, kShadow, kBtnText, kBtnDisabled);
    }
    MessageLog parent;
    Buttonplus button;
};
} // namespace

TEST_F(ButtonFixture, RaisedEdges) {
    const QImage img = Grab(button);
    ASSERT_EQ(img.width(), 80);
    // Outer shadow, face, highlight two pixels in on the left; a double shadow on the right.
    const int y = 15;
    EXPECT_EQ(PixelAt(img, 1, y), kShadow);
    EXPECT_EQ(PixelAt(img, 2, y), kFace);
    EXPECT_EQ(PixelAt(img, 7, y), kHigh);
    EXPECT_EQ(PixelAt(img, 76, y), kShadow);
    EXPECT_EQ(PixelAt(img, 75, y), kFace);
    EXPECT_EQ(PixelAt(img, 40, 26), kShadow);
    EXPECT_GT(CountNear(img, kBtnText), 10);
    EXPECT_EQ(CountNear(img, kBtnDisabled), 0);
}

TEST_F(ButtonFixture, PressedEdgesAndClick) {
    QTest::mousePress(button.GetNative(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    ASSERT_TRUE(button.IsPressed());
    const QImage img = Grab(button);
    const int y = 15;
    EXPECT_EQ(PixelAt(img, 0, y), kHigh);
    EXPECT_EQ(PixelAt(img, 2, y), kShadow);
    EXPECT_EQ(PixelAt(img, 79, y), kFace);
    QTest::mouseRelease(button.GetNative(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    EXPECT_TRUE(WaitUntil([&] {
        for (const auto& m : parent.messages) {
            if (m.message == WM_COMMAND && LOWORD(m.wParam) == 1063) {
                return true;
            }
        }
        return false;
    }));
}

TEST_F(ButtonFixture, FocusFrameAndDisabledText) {
    parent.GetNative()->activateWindow();
    button.SetFocus();
    Settle();
    QImage img = Grab(button);
    // A dotted frame one pixel outside the highlight line (x = 5).
    int onFrame = 0;
    for (int yy = 5; yy < 25; ++yy) {
        onFrame += PixelAt(img, 5, yy) != kFace;
    }
    EXPECT_GT(onFrame, 3);

    button.SetDisabled(true);
    EXPECT_FALSE(button.IsWindowEnabled());
    EXPECT_FALSE(button.IsDisabled());
    img = Grab(button);
    EXPECT_GT(CountNear(img, kBtnDisabled), 10);
    EXPECT_EQ(CountNear(img, kBtnText), 0);
}

TEST(Buttonplus, FaceDefaultsAndPreviousFace) {
    Buttonplus b;
    EXPECT_EQ(b.GetFace(), GetSysColor(COLOR_BTNFACE));
    b.SetButtonFace(RGB(1, 2, 3));
    b.SetButtonFace(CLR_NONE);
    EXPECT_EQ(b.GetFace(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(b.GetPreviousFace(), RGB(1, 2, 3));
}

TEST(Staticplus, ColoursAndDisabledText) {
    MessageLog parent;
    Staticplus s;
    s.Create("MMMMMM", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(10, 10, 110, 30), &parent, 1201);
    s.SetBackColor(CLR_NONE);
    s.SetTextColor(CLR_NONE);
    EXPECT_EQ(s.GetBackColor(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(s.GetTextColor(), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(s.GetRequestedTextColor(), CLR_NONE);

    s.SetBackColor(RGB(0, 51, 102));
    s.SetTextColor(RGB(255, 255, 255));
    QImage img = Grab(s);
    EXPECT_EQ(PixelAt(img, 99, 19), RGB(0, 51, 102));
    EXPECT_GT(CountNear(img, RGB(255, 255, 255)), 10);

    s.SetDisabled(true);
    EXPECT_TRUE(s.IsDisabled());
    EXPECT_TRUE(s.IsWindowEnabled()) << "still clickable";
    img = Grab(s);
    // The scheme's disabled red, lightened until it reads on the dark blue.
    const COLORREF disabled = ReadableOn(RGB(205, 0, 0), RGB(0, 51, 102));
    EXPECT_GT(CountNear(img, disabled), 10);
    EXPECT_EQ(CountNear(img, RGB(255, 255, 255)), 0);
    s.SetDisabled(false);
    EXPECT_FALSE(s.IsDisabled());
}

TEST(Staticplus, Type14TakesTheDisabledBackground) {
    Staticplus s;
    s.SetEnrolment(ControlType::DimmableField, 3);
    s.SetBackColor(RGB(255, 255, 255));
    s.SetDisabled(true);
    EXPECT_EQ(s.GetBackColor(), TheColorScheme().Main.DisabledText);
    EXPECT_EQ(s.GetDisabledTextColor(), RGB(0, 0, 0));
    s.SetDisabled(false);
    EXPECT_EQ(s.GetBackColor(), TheColorScheme().Main.DisabledText); // not restored

    Staticplus other;
    other.SetEnrolment(ControlType::ValueField, 4);
    other.SetBackColor(RGB(255, 255, 255));
    other.SetDisabled(true);
    EXPECT_EQ(other.GetBackColor(), RGB(255, 255, 255));
    EXPECT_EQ(other.GetDisabledTextColor(), RGB(205, 0, 0));
}

TEST(Pictureplus, LoadsAFileAndDrawsItStretched) {
    MessageLog parent;
    Pictureplus picture;
    picture.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 120, 60), &parent, 1000);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());

    EXPECT_FALSE(picture.LoadPicture(dir.filePath("missing.jpg").toStdString()));
    EXPECT_FALSE(picture.IsLoaded());
    EXPECT_FALSE(picture.LoadPicture(dir.path().toStdString())) << "a folder is no file";

    // 4 x 2: left half red, right half blue; JPEG keeps the halves apart.
    QImage source(40, 20, QImage::Format_RGB32);
    source.fill(Qt::red);
    for (int y = 0; y < 20; ++y) {
        for (int x = 20; x < 40; ++x) {
            source.setPixel(x, y, qRgb(0, 0, 255));
        }
    }
    const QString path = dir.filePath("logo.jpg");
    ASSERT_TRUE(source.save(path, "JPG"));
    ASSERT_TRUE(picture.LoadPicture(path.toStdString()));
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(picture.Bytes().size(), static_cast<std::size_t>(QFileInfo(path).size()));

    const QImage img = Grab(picture);
    const COLORREF left = PixelAt(img, 10, 30), right = PixelAt(img, 110, 30);
    EXPECT_GT(GetRValue(left), 200);
    EXPECT_LT(GetBValue(left), 60);
    EXPECT_GT(GetBValue(right), 200);
    EXPECT_LT(GetRValue(right), 60);
    EXPECT_GT(GetRValue(PixelAt(img, 55, 5)), 150) << "stretched over the whole control";

    // Fitted into a taller control the 2:1 picture keeps its shape, centred.
    picture.MoveWindow(0, 0, 120, 100);
    picture.SetFitted(true);
    const QImage fitted = Grab(picture);
    EXPECT_LT(GetGValue(PixelAt(fitted, 10, 50)), 60) << "red";
    EXPECT_GT(GetGValue(PixelAt(fitted, 10, 10)), 150) << "nothing above the picture";
    EXPECT_GT(GetGValue(PixelAt(fitted, 10, 90)), 150) << "nothing below the picture";

    // A failed load drops the picture.
    EXPECT_FALSE(picture.LoadPicture(dir.filePath("gone.jpg").toStdString()));
    EXPECT_TRUE(picture.Bytes().empty());
}

TEST(Tabctrlplus, DrawsTabsInTheirColours) {
    MessageLog parent;
    Tabctrlplus tabs;
    tabs.Create(WS_CHILD | WS_VISIBLE | TCS_BOTTOM | TCS_BUTTONS, CRect(0, 0, 300, 30), &parent,
                1011);
    tabs.InsertItem(0, "MMMM");
    tabs.InsertItem(1, "MMMM");
    tabs.SetBackColor(RGB(0, 51, 102));
    tabs.SetNormalTextColor(RGB(0, 0, 255));
    tabs.SetEmphasisTextColor(RGB(255, 0, 0));
    tabs.SetEmphasis(0, true);
    tabs.SetEmphasis(100, true); // ignored
    EXPECT_FALSE(tabs.GetEmphasis(100));

    CRect r0, r1;
    ASSERT_TRUE(tabs.GetItemRect(0, &r0));
    ASSERT_TRUE(tabs.GetItemRect(1, &r1));
    const PixelRect f0 = TabFaceRect({r0.left, r0.top, r0.right, r0.bottom});
    const PixelRect f1 = TabFaceRect({r1.left, r1.top, r1.right, r1.bottom});
    const QImage img = Grab(tabs);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const QImage t0 = img.copy(f0.left, f0.top, f0.Width(), f0.Height());
    const QImage t1 = img.copy(f1.left, f1.top, f1.Width(), f1.Height());
    EXPECT_GT(CountColour(t0, face), 10);
    EXPECT_GT(CountColour(t0, RGB(255, 0, 0)), 5);
    EXPECT_EQ(CountColour(t0, RGB(0, 0, 255)), 0);
    EXPECT_GT(CountColour(t1, RGB(0, 0, 255)), 5);
    EXPECT_EQ(CountColour(t1, RGB(255, 0, 0)), 0);
    EXPECT_EQ(PixelAt(img, 299, 0), RGB(0, 51, 102));
    // Tab 0 is selected: its button is sunken, tab 1 raised.
    EXPECT_EQ(PixelAt(img, r0.left + 1, r0.top + 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(img, r1.left + 1, r1.top + 5), GetSysColor(COLOR_BTNHIGHLIGHT));

    // Emphasised text sits one pixel right and down of the normal place.
    const InkBox e = FindInk(t0, face), n = FindInk(t1, face);
    EXPECT_EQ(e.left, n.left + 1);
    EXPECT_EQ(e.top, n.top + 1);

    // A tab's image goes at the left of its face, its text after it.
    QImage green(25, 25, QImage::Format_ARGB32);
    green.fill(Qt::green);
    CImage strip;
    strip.SetImage(green);
    CImageList images;
    images.Create(25, 25, 0, 10);
    images.Add(strip);
    tabs.SetImageList(&images);
    tabs.InsertItem(2, "MMMM", 0);
    CRect r2;
    ASSERT_TRUE(tabs.GetItemRect(2, &r2));
    r2.bottom = std::min(r2.bottom, 30); // the strip keeps taller tabs inside
    const PixelRect f2 = TabFaceRect({r2.left, r2.top, r2.right, r2.bottom});
    const PixelRect place = TabImageRect(f2, 25, 25);
    const QImage withImage = Grab(tabs);
    EXPECT_EQ(PixelAt(withImage, (place.left + place.right) / 2, (place.top + place.bottom) / 2),
              RGB(0, 255, 0));
    const QImage t2 = withImage.copy(place.right, f2.top, f2.right - place.right, f2.Height());
    EXPECT_GT(CountColour(t2, RGB(0, 0, 255)), 5) << "the text right of the image";
    const QImage t0Now = withImage.copy(f0.left, f0.top, f0.Width(), f0.Height());
    EXPECT_EQ(CountColour(t0Now, RGB(0, 255, 0)), 0) << "no image on a tab without one";
    tabs.SetImageList(nullptr);
}
