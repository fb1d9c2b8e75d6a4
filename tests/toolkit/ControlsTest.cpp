// Lights, buttons, static texts, pictures, the tab strip and labels on a real window.

#include "infra/ColorScheme.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CImage.h"
#include "platform/ui/CImageList.h"
#include "tests/toolkit/TestWindows.h"
#include "toolkit/Buttonplus.h"
#include "toolkit/CNewLabel.h"
#include "toolkit/Contrast.h"
#include "toolkit/ControlGeometry.h"
#include "toolkit/Pictureplus.h"
#include "toolkit/Staticball.h"
#include "toolkit/Staticplus.h"
#include "toolkit/Tabctrlplus.h"
#include "toolkit/TextUnit.h"

#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

using namespace win;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0), kWhite = RGB(255, 255, 255), kNavy = RGB(0, 51, 102);

TEST(Lights, BallCentredAndBarWithDefaultColours) {
    MessageLog parent;
    Staticball ball;
    ball.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 50), &parent, 1024);
    ball.SetShape(LightShape::Bar); // a ball stays a ball
    EXPECT_EQ(ball.GetShape(), LightShape::Ball);
    ball.SetLightColor(kGreen, kRed);
    QImage img = Grab(ball);
    // Outline rows 12 and 26 at the centre column, filled between, nothing outside.
    EXPECT_EQ(Pixels(img, {{7, 12}, {7, 19}, {7, 26}}), Colours({kRed, kGreen, kRed}));
    for (COLORREF c : {kRed, kGreen}) {
        EXPECT_EQ(CountColour(img, c, 0, 0, 40, 12) + CountColour(img, c, 0, 27, 40, 13) +
                      CountColour(img, c, 15, 0, 25, 40),
                  0);
    }
    Lights bar;
    bar.Create("", WS_CHILD | WS_VISIBLE, CRect(10, 10, 50, 30), &parent, 1100);
    bar.SetShape(LightShape::Bar);
    // Before a colour is set: black outline, white fill.
    EXPECT_EQ(Pixels(Grab(bar), {{0, 6}, {7, 9}}), Colours({kBlack, kWhite}));
    bar.SetLightColor(RGB(255, 255, 0), kBlack);
    img = Grab(bar);
    // 15 x 7 from y = 6 (20 - 7 = 13 free, 6 above).
    EXPECT_EQ(CountColour(img, kBlack, 0, 6, 15, 1) + CountColour(img, kBlack, 0, 12, 15, 1), 30);
    EXPECT_EQ(CountColour(img, RGB(255, 255, 0), 1, 7, 13, 5), 13 * 5);
    EXPECT_EQ(CountColour(img, kBlack, 0, 13, 40, 7), 0);
}

TEST(Buttonplus, EdgesPressedFocusAndDisabledText) {
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
    // Raised: outer shadow, face, highlight six pixels in on the left; a double
    // shadow on the right and at the bottom.
    QImage img = Grab(button);
    ASSERT_EQ(img.width(), 80);
    EXPECT_EQ(Pixels(img, {{1, 15}, {2, 15}, {7, 15}, {75, 15}, {76, 15}, {40, 26}}),
              Colours({kShadow, kFace, kHigh, kFace, kShadow, kShadow}));
    EXPECT_GT(CountNear(img, kText), 10);
    EXPECT_EQ(CountNear(img, kDisabled), 0);
    // Pressed: highlight on the left and top, shadow two pixels in.
    QTest::mousePress(button.GetNative(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    ASSERT_TRUE(button.IsPressed());
    EXPECT_EQ(Pixels(Grab(button), {{0, 15}, {2, 15}, {79, 15}}), Colours({kHigh, kShadow, kFace}));
    QTest::mouseRelease(button.GetNative(), Qt::LeftButton, Qt::NoModifier, QPoint(40, 15));
    // A dotted frame one pixel outside the highlight line (x = 5).
    parent.GetNative()->activateWindow();
    button.SetFocus();
    Settle();
    EXPECT_GT(20 - CountColour(Grab(button), kFace, 5, 5, 1, 20), 3);
    button.SetDisabled(true);
    EXPECT_FALSE(button.IsWindowEnabled());
    EXPECT_FALSE(button.IsDisabled());
    img = Grab(button);
    EXPECT_GT(CountNear(img, kDisabled), 10);
    EXPECT_EQ(CountNear(img, kText), 0);
}

TEST(Staticplus, ColoursAndDisabledText) {
    MessageLog parent;
    Staticplus s;
    s.Create("MMMMMM", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(10, 10, 110, 30), &parent, 1201);
    s.SetBackColor(CLR_NONE);
    s.SetTextColor(CLR_NONE);
    EXPECT_EQ(Colours({s.GetBackColor(), s.GetTextColor(), s.GetRequestedTextColor()}),
              Colours({GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT), CLR_NONE}));
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
    QPainter(&source).fillRect(20, 0, 20, 20, Qt::blue);
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

TEST(Tabctrlplus, DrawsTabsInTheirColoursWithTheirImages) {
    MessageLog parent;
    Tabctrlplus tabs;
    tabs.Create(WS_CHILD | WS_VISIBLE | TCS_BOTTOM | TCS_BUTTONS, CRect(0, 0, 300, 30), &parent,
                1011);
    tabs.InsertItem(0, "MMMM");
    tabs.InsertItem(1, "MMMM");
    tabs.SetBackColor(kNavy);
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
    const QImage img = Grab(tabs), t0 = part(img, f0), t1 = part(img, f1);
    const COLORREF faceColour = GetSysColor(COLOR_BTNFACE);
    EXPECT_GT(CountColour(t0, faceColour), 10);
    EXPECT_GT(CountColour(t0, kRed), 5);
    EXPECT_EQ(CountColour(t0, kBlue), 0);
    EXPECT_GT(CountColour(t1, kBlue), 5);
    EXPECT_EQ(CountColour(t1, kRed), 0);
    // The strip's own colour; tab 0 is selected: its button is sunken, tab 1 raised.
    EXPECT_EQ(Pixels(img, {{299, 0}, {f0.left - 2, f0.top + 3}, {f1.left - 2, f1.top + 3}}),
              Colours({kNavy, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT)}));
    // Emphasised text sits one pixel right and down of the normal place.
    const InkBox e = FindInk(t0, faceColour), n = FindInk(t1, faceColour);
    EXPECT_EQ(std::pair(e.left, e.top), std::pair(n.left + 1, n.top + 1));
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

class LabelTest : public ::testing::Test {
protected:
    // A label of the given client size in the test colours, drawn.
    CNewLabel& Make(int w, int h, const std::string& text, int angle, int flags) {
        labels.push_back(std::make_unique<CNewLabel>());
        CNewLabel& l = *labels.back();
        l.Create(text, WS_CHILD | WS_VISIBLE, CRect(5, 5, 5 + w, 5 + h), &parent,
                 1000 + static_cast<int>(labels.size()));
        StyleLabel(l, kNavy, kWhite, angle, flags);
        Settle();
        return l;
    }
    static int LineHeight(const CNewLabel& l) {
        return CDC(l.GetLabelFont()).GetTextExtent("H").cy;
    }

    MessageLog parent{600, 400};
    std::vector<std::unique_ptr<CNewLabel>> labels;
};

TEST_F(LabelTest, StyleAndTextAndTheTwoMeaningsOfTheFontHeight) {
    SetTextUnit(10);
    CNewLabel& cell = Make(100, 30, "H", 0, kLabelMiddle);
    EXPECT_EQ(cell.GetLabelFont().FaceName(), "Segoe UI");
    EXPECT_EQ(cell.GetLabelFont().lfHeight, 15);
    EXPECT_EQ(Colours({cell.GetBkColor(), cell.GetTextColor()}), Colours({kNavy, kWhite}));
    EXPECT_EQ(cell.GetLabelText(), "H"); // the template text is drawn
    // 15: the whole line, leading included, is 15 pixels; -15 makes the
    // letters themselves that size, so they are larger.
    CNewLabel& character = Make(100, 30, "H", 0, kLabelMiddle);
    character.SetFontSize(-15);
    Settle();
    EXPECT_NEAR(LineHeight(cell), 15, 1); // rounded up from the font's own metrics
    EXPECT_GT(LineHeight(character), LineHeight(cell));
    const int cellInk = FindInk(Grab(cell), kNavy).Height();
    EXPECT_LE(cellInk, 11);
    EXPECT_LT(cellInk, FindInk(Grab(character), kNavy).Height());
    CNewLabel early; // a text given before the window exists is kept
    early.SetColumnText();
    early.SetLabelText("OK");
    early.Create("template", WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 40), &parent, 1999);
    EXPECT_EQ(early.GetLabelText(), "OK");
    EXPECT_EQ(early.GetWindowText(), "O\nK");
}

TEST_F(LabelTest, Angle270ReadsUpwardsFromTheBottom) {
    // Heavy letters first, light ones last: the start of the text shows where
    // reading begins.
    const QImage up = Grab(Make(30, 240, "MMMMM.....", 270, kLabelBottom));
    const QImage down = Grab(Make(30, 240, "MMMMM.....", 90, kLabelBottom));
    const InkBox box = FindInk(up, kNavy);
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(box.bottom, 240 - 5) << "placed at the bottom";
    EXPECT_GT(box.top, 60);
    EXPECT_LT(box.left, 6) << "left-aligned";
    EXPECT_GT(box.Height(), box.Width());
    // Ink in the fifth of the text at each end.
    const auto ends = [](const QImage& img, const InkBox& b) {
        const int fifth = b.Height() / 5;
        return std::pair{FindInk(img, kNavy, 0, b.top, 30, fifth).count,
                         FindInk(img, kNavy, 0, b.bottom + 1 - fifth, 30, fifth).count};
    };
    const auto [top270, bottom270] = ends(up, box);
    EXPECT_GT(bottom270, 3 * top270) << "the first letters are at the bottom";
    // A quarter turn clockwise starts at the top instead.
    const auto [top90, bottom90] = ends(down, FindInk(down, kNavy));
    EXPECT_GT(top90, 3 * bottom90);
}

TEST_F(LabelTest, ColumnModeDrawsOneCharacterPerLine) {
    CNewLabel& column = Make(40, 90, "", 0, kLabelTop);
    column.SetColumnText();
    column.SetLabelText("AB");
    EXPECT_EQ(column.GetWindowText(), "A\nB");
    const QImage ic = Grab(column), ia = Grab(Make(40, 90, "A", 0, kLabelTop));
    const QImage ib = Grab(Make(40, 90, "B", 0, kLabelTop));
    const int h = LineHeight(column);
    ASSERT_GT(h, 5);
    EXPECT_GT(FindInk(ic, kNavy, 0, 0, 40, h).count, 10);
    EXPECT_GT(FindInk(ic, kNavy, 0, h, 40, h).count, 10);
    EXPECT_EQ(FindInk(ic, kNavy, 0, 2 * h, 40, 90).count, 0);
    EXPECT_EQ(ic.copy(0, 0, 40, h), ia.copy(0, 0, 40, h)) << "A on top";
    EXPECT_EQ(ic.copy(0, h, 40, h), ib.copy(0, 0, 40, h)) << "B below";
}

TEST_F(LabelTest, TwoCentredLinesShareTheCentre) {
    CNewLabel& l = Make(200, 80, "MMMMMMMMMM\nI", 0, kLabelCentre | kLabelMiddle);
    const QImage img = Grab(l);
    const InkBox all = FindInk(img, kNavy);
    ASSERT_FALSE(all.Empty());
    EXPECT_NEAR((all.left + all.right) / 2.0, 100, 2.5);
    EXPECT_NEAR((all.top + all.bottom) / 2.0, 40, 4);
    // The short line alone, below the middle of the block.
    const InkBox i = FindInk(img, kNavy, 0, 40, 200, LineHeight(l));
    ASSERT_FALSE(i.Empty());
    EXPECT_NEAR((i.left + i.right) / 2.0, 100, 2.5);
    EXPECT_LT(i.Width(), 6);
}

TEST_F(LabelTest, SetAlignmentKeepsStyleInStep) {
    CNewLabel& l = Make(100, 30, "x", 0, kLabelLeft | kLabelTop);
    // No horizontal bit keeps the centre; left beats right.
    const std::pair<int, DWORD> steps[] = {{kLabelCentre, SS_CENTER},
                                           {kLabelMiddle, SS_CENTER},
                                           {kLabelRight | kLabelBottom, SS_RIGHT},
                                           {kLabelLeft | kLabelRight, SS_LEFT}};
    for (const auto& [flags, style] : steps) {
        l.SetAlignment(flags);
        EXPECT_EQ(l.GetStyle() & SS_TYPEMASK, style) << flags;
    }
}

TEST_F(LabelTest, DisabledTextIsEmbossed) {
    CNewLabel& l = Make(120, 30, "MMMM", 0, kLabelCentre | kLabelMiddle);
    l.SetTextColor(kRed);
    Settle();
    QImage img = Grab(l);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_GT(CountNear(img, kRed), 20);
    EXPECT_EQ(CountColour(img, shadow), 0);
    l.EnableWindow(false);
    Settle();
    img = Grab(l);
    EXPECT_EQ(CountNear(img, kRed), 0);
    EXPECT_GT(CountNear(img, shadow, 16), 20);
    EXPECT_GT(CountNear(img, light, 60), 5);
    // The light copy sits one pixel right and down: the lowest ink is light.
    const QImage lowest = img.copy(0, FindInk(img, kNavy).bottom, 120, 1);
    EXPECT_GT(CountNear(lowest, light, 100), 0);
    EXPECT_EQ(CountNear(lowest, shadow, 16), 0);
}

} // namespace
