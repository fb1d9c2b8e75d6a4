// Lights, buttons, static texts, pictures and the tab strip on a real window.

#include "infra/ColorScheme.h"
#include "platform/ui/CImage.h"
#include "platform/ui/CImageList.h"
#include "tests/toolkit/TestWindows.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/Contrast.h"
#include "toolkit/ControlGeometry.h"
#include "toolkit/Pictureplus.h"
#include "toolkit/Staticball.h"
#include "toolkit/Staticplus.h"
#include "toolkit/Tabctrlplus.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace win;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255);

TEST(Lights, BallCentredAndBarWithDefaultColours) {
    MessageLog parent;
    Staticball ball;
    ball.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 50), &parent, 1024);
    ball.SetShape(LightShape::Bar); // a ball stays a ball
    EXPECT_EQ(ball.GetShape(), LightShape::Ball);
    ball.SetLightColor(kGreen, kRed);
    QImage img = Grab(ball);
    // Outline rows 12 and 26 at the centre column, filled between, nothing outside.
    EXPECT_EQ(std::vector({PixelAt(img, 7, 12), PixelAt(img, 7, 19), PixelAt(img, 7, 26)}),
              std::vector({kRed, kGreen, kRed}));
    for (COLORREF c : {kRed, kGreen}) {
        EXPECT_EQ(CountColour(img, c, 0, 0, 40, 12) + CountColour(img, c, 0, 27, 40, 13) +
                      CountColour(img, c, 15, 0, 25, 40),
                  0);
    }

    Lights bar;
    bar.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 30), &parent, 1100);
    bar.SetShape(LightShape::Bar);
    img = Grab(bar); // before a colour is set: black outline, white fill
    EXPECT_EQ(PixelAt(img, 0, 6), kBlack);
    EXPECT_EQ(PixelAt(img, 7, 9), kWhite);
    bar.SetLightColor(RGB(255, 255, 0), kBlack);
    img = Grab(bar);
    // 15 x 7 from y = 6 (20 - 7 = 13 free, 6 above).
    EXPECT_EQ(CountColour(img, kBlack, 0, 6, 15, 1), 15);
    EXPECT_EQ(CountColour(img, kBlack, 0, 12, 15, 1), 15);
    EXPECT_EQ(CountColour(img, RGB(255, 255, 0), 1, 7, 13, 5), 13 * 5);
    EXPECT_EQ(CountColour(img, kBlack, 0, 13, 40, 7), 0);
}

TEST(Buttonplus, EdgesFocusDisabledTextAndClick) {
    constexpr COLORREF kFace = RGB(200, 200, 100), kHigh = RGB(250, 250, 250);
    constexpr COLORREF kShadow = RGB(50, 50, 50), kText = RGB(0, 0, 200);
    constexpr COLORREF kDisabled = RGB(120, 0, 120);
    MessageLog parent;
    Buttonplus button;
    EXPECT_EQ(button.GetFace(), GetSysColor(COLOR_BTNFACE));
    button.SetButtonFace(RGB(1, 2, 3));
    button.SetButtonFace(CLR_NONE);
    EXPECT_EQ(button.GetFace(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(button.GetPreviousFace(), RGB(1, 2, 3));

    button.Create("Apply", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(10, 10, 90, 40), &parent,
                  1063);
    button.SetButtonStyle(BS_OWNERDRAW);
    button.SetButtonColors(kFace, kHigh, kShadow, kText, kDisabled);
    const auto row = [](const QImage& img, std::vector<int> xs) {
        std::vector<COLORREF> out;
        for (int x : xs) {
            out.push_back(PixelAt(img, x, 15));
        }
        return out;
    };
    // Raised: outer shadow, face, highlight six pixels in on the left; a double
    // shadow on the right and at the bottom.
    QImage img = Grab(button);
    ASSERT_EQ(img.width(), 80);
    EXPECT_EQ(row(img, {1, 2, 7, 75, 76}), std::vector({kShadow, kFace, kHigh, kFace, kShadow}));
    EXPECT_EQ(PixelAt(img, 40, 26), kShadow);
    EXPECT_GT(CountNear(img, kText), 10);
    EXPECT_EQ(CountNear(img, kDisabled), 0);

    // Pressed: highlight on the left and top, shadow two pixels in.
    QTest::mousePress(button.GetNative(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    ASSERT_TRUE(button.IsPressed());
    EXPECT_EQ(row(Grab(button), {0, 2, 79}), std::vector({kHigh, kShadow, kFace}));
    QTest::mouseRelease(button.GetNative(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    EXPECT_TRUE(WaitUntil([&] {
        return std::any_of(parent.messages.begin(), parent.messages.end(), [](const auto& m) {
            return m.message == WM_COMMAND && LOWORD(m.wParam) == 1063;
        });
    }));

    // A dotted frame one pixel outside the highlight line (x = 5).
    parent.GetNative()->activateWindow();
    button.SetFocus();
    Settle();
    img = Grab(button);
    int onFrame = 0;
    for (int y = 5; y < 25; ++y) {
        onFrame += PixelAt(img, 5, y) != kFace;
    }
    EXPECT_GT(onFrame, 3);

    button.SetDisabled(true);
    EXPECT_FALSE(button.IsWindowEnabled());
    EXPECT_FALSE(button.IsDisabled());
    img = Grab(button);
    EXPECT_GT(CountNear(img, kDisabled), 10);
    EXPECT_EQ(CountNear(img, kText), 0);
}

TEST(Staticplus, ColoursAndDisabledText) {
    constexpr COLORREF kNavy = RGB(0, 51, 102);
    MessageLog parent;
    Staticplus s;
    s.Create("MMMMMM", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(10, 10, 110, 30), &parent, 1201);
    s.SetBackColor(CLR_NONE);
    s.SetTextColor(CLR_NONE);
    EXPECT_EQ(s.GetBackColor(), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(s.GetTextColor(), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(s.GetRequestedTextColor(), CLR_NONE);

    s.SetBackColor(kNavy);
    s.SetTextColor(kWhite);
    QImage img = Grab(s);
    EXPECT_EQ(PixelAt(img, 99, 19), kNavy);
    EXPECT_GT(CountNear(img, kWhite), 10);

    s.SetDisabled(true);
    EXPECT_TRUE(s.IsDisabled());
    EXPECT_TRUE(s.IsWindowEnabled()) << "still clickable";
    img = Grab(s);
    // The scheme's disabled red, lightened until it reads on the dark blue.
    EXPECT_GT(CountNear(img, ReadableOn(RGB(205, 0, 0), kNavy)), 10);
    EXPECT_EQ(CountNear(img, kWhite), 0);
    s.SetDisabled(false);
    EXPECT_FALSE(s.IsDisabled());

    // A dimmable field takes the disabled colour as its background, and keeps it.
    for (const ControlType type : {ControlType::DimmableField, ControlType::ValueField}) {
        Staticplus f;
        f.SetEnrolment(type, 3);
        f.SetBackColor(kWhite);
        f.SetDisabled(true);
        const bool dims = type == ControlType::DimmableField;
        EXPECT_EQ(f.GetBackColor(), dims ? TheColorScheme().Main.DisabledText : kWhite);
        EXPECT_EQ(f.GetDisabledTextColor(), dims ? kBlack : RGB(205, 0, 0));
        f.SetDisabled(false);
        EXPECT_EQ(f.GetBackColor(), dims ? TheColorScheme().Main.DisabledText : kWhite);
    }
}

TEST(Pictureplus, LoadsAFileAndDrawsItStretchedOrFitted) {
    MessageLog parent;
    Pictureplus picture;
    picture.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 0, 120, 60), &parent, 1000);
    QTemporaryDir dir;
    EXPECT_FALSE(picture.LoadPicture(dir.filePath("missing.jpg").toStdString()));
    EXPECT_FALSE(picture.IsLoaded());
    EXPECT_FALSE(picture.LoadPicture(dir.path().toStdString())) << "a folder is no file";

    // Left half red, right half blue; JPEG keeps the halves apart.
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
    EXPECT_TRUE(GetRValue(left) > 200 && GetBValue(left) < 60) << std::hex << left;
    EXPECT_TRUE(GetBValue(right) > 200 && GetRValue(right) < 60) << std::hex << right;
    EXPECT_GT(GetRValue(PixelAt(img, 55, 5)), 150) << "stretched over the whole control";

    // Fitted into a taller control the 2:1 picture keeps its shape, centred.
    picture.MoveWindow(0, 0, 120, 100);
    picture.SetFitted(true);
    const QImage fitted = Grab(picture);
    EXPECT_LT(GetGValue(PixelAt(fitted, 10, 50)), 60) << "red";
    EXPECT_GT(GetGValue(PixelAt(fitted, 10, 10)), 150) << "nothing above the picture";
    EXPECT_GT(GetGValue(PixelAt(fitted, 10, 90)), 150) << "nothing below the picture";

    EXPECT_FALSE(picture.LoadPicture(dir.filePath("gone.jpg").toStdString()));
    EXPECT_TRUE(picture.Bytes().empty()) << "a failed load drops the picture";
}

TEST(Tabctrlplus, DrawsTabsInTheirColours) {
    MessageLog parent;
    Tabctrlplus tabs;
    tabs.Create(WS_CHILD | WS_VISIBLE | TCS_BOTTOM | TCS_BUTTONS, CRect(0, 0, 300, 30), &parent,
                1011);
    tabs.InsertItem(0, "MMMM");
    tabs.InsertItem(1, "MMMM");
    tabs.SetBackColor(RGB(0, 51, 102));
    tabs.SetNormalTextColor(kBlue);
    tabs.SetEmphasisTextColor(kRed);
    tabs.SetEmphasis(0, true);
    tabs.SetEmphasis(100, true); // ignored
    EXPECT_FALSE(tabs.GetEmphasis(100));

    const auto face = [&](int i) {
        CRect r;
        EXPECT_TRUE(tabs.GetItemRect(i, &r));
        return TabFaceRect({r.left, r.top, r.right, std::min(r.bottom, 30)});
    };
    const auto part = [](const QImage& img, const PixelRect& r) {
        return img.copy(r.left, r.top, r.Width(), r.Height());
    };
    const PixelRect f0 = face(0), f1 = face(1);
    const QImage img = Grab(tabs);
    const QImage t0 = part(img, f0), t1 = part(img, f1);
    const COLORREF faceColour = GetSysColor(COLOR_BTNFACE);
    EXPECT_GT(CountColour(t0, faceColour), 10);
    EXPECT_GT(CountColour(t0, kRed), 5);
    EXPECT_EQ(CountColour(t0, kBlue), 0);
    EXPECT_GT(CountColour(t1, kBlue), 5);
    EXPECT_EQ(CountColour(t1, kRed), 0);
    EXPECT_EQ(PixelAt(img, 299, 0), RGB(0, 51, 102));
    // Tab 0 is selected: its button is sunken, tab 1 raised.
    EXPECT_EQ(PixelAt(img, f0.left - 2, f0.top + 3), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAt(img, f1.left - 2, f1.top + 3), GetSysColor(COLOR_BTNHIGHLIGHT));
    // Emphasised text sits one pixel right and down of the normal place.
    const InkBox e = FindInk(t0, faceColour), n = FindInk(t1, faceColour);
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
    const PixelRect f2 = face(2), place = TabImageRect(f2, 25, 25);
    const QImage withImage = Grab(tabs);
    EXPECT_EQ(PixelAt(withImage, (place.left + place.right) / 2, (place.top + place.bottom) / 2),
              kGreen);
    EXPECT_GT(CountColour(part(withImage, {place.right, f2.top, f2.right, f2.bottom}), kBlue), 5)
        << "the text right of the image";
    EXPECT_EQ(CountColour(part(withImage, f0), kGreen), 0) << "no image on a tab without one";
    tabs.SetImageList(nullptr);
}

} // namespace
