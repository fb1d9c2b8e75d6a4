// Lights, buttons, static texts, pictures, tab strips, labels and the slider on a real window.

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
#include "toolkit/SliderGeometry.h"
#include "toolkit/Sliderplus.h"
#include "toolkit/Staticball.h"
#include "toolkit/Staticplus.h"
#include "toolkit/Tabctrlplus.h"
#include "toolkit/TextUnit.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QPainter>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

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
    // Outline rows 12 and 26 at the centre column, filled between, nothing outside 15 x 15.
    EXPECT_EQ(Pixels(img, {{7, 12}, {7, 19}, {7, 26}}), Colours({kRed, kGreen, kRed}));
    for (COLORREF c : {kRed, kGreen}) {
        EXPECT_EQ(CountColour(img, c, 0, 12, 15, 15), CountColour(img, c));
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
        CNewLabel& l = *labels.emplace_back(std::make_unique<CNewLabel>());
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
    // No horizontal bit keeps the centre; left beats right.
    const std::pair<int, DWORD> steps[] = {{kLabelCentre, SS_CENTER},
                                           {kLabelMiddle, SS_CENTER},
                                           {kLabelRight | kLabelBottom, SS_RIGHT},
                                           {kLabelLeft | kLabelRight, SS_LEFT}};
    for (const auto& [flags, style] : steps) {
        cell.SetAlignment(flags);
        EXPECT_EQ(cell.GetStyle() & SS_TYPEMASK, style) << flags;
    }
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

TEST_F(LabelTest, ColumnModeDrawsOneCharacterPerLineAndCentredLinesShareTheCentre) {
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

constexpr int kSliderId = 1029;

class SliderTest : public ::testing::Test {
protected:
    SliderTest() {
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
    void ExpectPosted(const std::string& expected) {
        WaitUntil([&] { return Received().size() >= expected.size(); });
        Settle();
        EXPECT_EQ(Received(), expected);
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
                const Qt::Key key[] = {Qt::Key_Right, Qt::Key_Left, Qt::Key_Up,    Qt::Key_Down,
                                       Qt::Key_Home,  Qt::Key_End,  Qt::Key_PageUp};
                QTest::keyClick(W(), key[std::string_view("rludhep").find(w[0])]);
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
        ExpectPosted(c.posted);
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
        EXPECT_EQ(Pixels(img, {{x, t.longTop - 1}, {x, t.longBottom}}), Colours(2, kWhite)) << x;
    }
    for (int x : {t.shortX[0], t.shortX[8]}) { // drawn upwards, the top end not drawn
        EXPECT_EQ(CountColour(img, kBlack, x, t.shortBottom + 1, 1, 3), 3) << x;
        EXPECT_EQ(Pixels(img, {{x, t.shortBottom}, {x, t.shortTop + 1}}), Colours(2, kWhite)) << x;
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
        ExpectPosted("T10 T30 T30 V30 P30");
        box.hide();
        slider.ShowWindow(SW_SHOW);
        Act("P150");
        EXPECT_EQ(slider.GetPos(), 75);
        Act("R150");
        ExpectPosted("T10 T30 T30 V30 P30 T75 T75 V75 P75");
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
