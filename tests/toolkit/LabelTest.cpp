// Labels on a real window: fonts, turned and column text, alignment, embossing.

#include "platform/ui/CDC.h"
#include "tests/toolkit/TestWindows.h"
#include "toolkit/CNewLabel.h"
#include "toolkit/TextUnit.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using namespace win;

namespace {

constexpr COLORREF kBack = RGB(0, 51, 102);
constexpr COLORREF kText = RGB(255, 255, 255);

class LabelTest : public ::testing::Test {
protected:
    // A label of the given client size, styled with the test colours.
    CNewLabel& Make(int w, int h, const std::string& text, int angle, int flags) {
        labels.push_back(std::make_unique<CNewLabel>());
        CNewLabel& l = *labels.back();
        l.Create(text, WS_CHILD | WS_VISIBLE, CRect(5, 5, 5 + w, 5 + h), &parent,
                 1000 + static_cast<int>(labels.size()));
        StyleLabel(l, kBack, kText, angle, flags);
        return l;
    }

    int LineHeight(const CNewLabel& l, const std::string& text) {
        CDC measure(l.GetLabelFont());
        return measure.GetTextExtent(text).cy;
    }

    MessageLog parent{600, 400};
    std::vector<std::unique_ptr<CNewLabel>> labels;
};

} // namespace

TEST_F(LabelTest, StyleLabelUsesTheTextUnit) {
    SetTextUnit(10);
    CNewLabel& l = Make(100, 30, "Unit", 0, kLabelMiddle);
    EXPECT_EQ(l.GetLabelFont().FaceName(), "Segoe UI");
    EXPECT_EQ(l.GetLabelFont().lfHeight, 15);
    EXPECT_EQ(l.GetBkColor(), kBack);
    EXPECT_EQ(l.GetTextColor(), kText);
    EXPECT_EQ(l.GetLabelText(), "Unit"); // the template text is drawn

    CNewLabel early; // a text given before the window exists is kept
    early.SetColumnText();
    early.SetLabelText("OK");
    early.Create("template", WS_CHILD | WS_VISIBLE, CRect(0, 0, 20, 40), &parent, 1999);
    EXPECT_EQ(early.GetLabelText(), "OK");
    EXPECT_EQ(early.GetWindowText(), "O\nK");
}

TEST_F(LabelTest, PositiveHeightIsTheCellNegativeTheCharacterHeight) {
    // 15 as StyleLabel gives it: the whole line, leading included, is 15
    // pixels; -15 makes the letters themselves that size, so they are larger.
    CNewLabel& cell = Make(100, 30, "H", 0, kLabelMiddle);
    CNewLabel& character = Make(100, 30, "H", 0, kLabelMiddle);
    character.SetFontSize(-15);
    Settle();
    const int cellLine = LineHeight(cell, "H"); // rounded up from the font's own metrics
    EXPECT_NEAR(cellLine, 15, 1);
    EXPECT_GT(LineHeight(character, "H"), cellLine);
    const int cellInk = FindInk(Grab(cell), kBack).Height();
    const int characterInk = FindInk(Grab(character), kBack).Height();
    EXPECT_LE(cellInk, 11);
    EXPECT_LT(cellInk, characterInk);
}

TEST_F(LabelTest, Angle270ReadsUpwardsFromTheBottom) {
    // Heavy letters first, light ones last: the start of the text shows where
    // reading begins.
    const std::string text = "MMMMM.....";
    CNewLabel& up = Make(30, 240, text, 270, kLabelBottom);
    CNewLabel& down = Make(30, 240, text, 90, kLabelBottom);
    Settle();
    const QImage a = Grab(up);
    const InkBox box = FindInk(a, kBack);
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(box.bottom, 240 - 5) << "placed at the bottom";
    EXPECT_GT(box.top, 60);
    EXPECT_LT(box.left, 6) << "left-aligned";
    EXPECT_GT(box.Height(), box.Width());
    // Ink in the fifth of the text at each end.
    const auto ends = [](const QImage& img, const InkBox& b) {
        const int fifth = b.Height() / 5;
        return std::pair{CountInk(img, kBack, 0, b.top, img.width(), fifth),
                         CountInk(img, kBack, 0, b.bottom + 1 - fifth, img.width(), fifth)};
    };
    const auto [top270, bottom270] = ends(a, box);
    EXPECT_GT(bottom270, 3 * top270) << "the first letters are at the bottom";

    // A quarter turn clockwise starts at the top instead.
    const QImage b = Grab(down);
    const auto [top90, bottom90] = ends(b, FindInk(b, kBack));
    EXPECT_GT(top90, 3 * bottom90);
}

TEST_F(LabelTest, ColumnModeDrawsOneCharacterPerLine) {
    CNewLabel& column = Make(40, 90, "", 0, kLabelTop);
    column.SetColumnText();
    column.SetLabelText("AB");
    EXPECT_EQ(column.GetWindowText(), "A\nB");
    CNewLabel& a = Make(40, 90, "A", 0, kLabelTop);
    CNewLabel& b = Make(40, 90, "B", 0, kLabelTop);
    Settle();
    const int h = LineHeight(column, "A");
    ASSERT_GT(h, 5);
    const QImage ic = Grab(column), ia = Grab(a), ib = Grab(b);
    EXPECT_GT(CountInk(ic, kBack, 0, 0, 40, h), 10);
    EXPECT_GT(CountInk(ic, kBack, 0, h, 40, h), 10);
    EXPECT_EQ(CountInk(ic, kBack, 0, 2 * h, 40, 90 - 2 * h), 0);
    int differences = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < 40; ++x) {
            differences += PixelAt(ic, x, y) != PixelAt(ia, x, y);
            differences += PixelAt(ic, x, y + h) != PixelAt(ib, x, y);
        }
    }
    EXPECT_EQ(differences, 0) << "A above B";
}

TEST_F(LabelTest, TwoCentredLinesShareTheCentre) {
    CNewLabel& l = Make(200, 80, "MMMMMMMMMM\nI", 0, kLabelCentre | kLabelMiddle);
    Settle();
    const QImage img = Grab(l);
    const InkBox all = FindInk(img, kBack);
    ASSERT_FALSE(all.Empty());
    EXPECT_NEAR((all.left + all.right) / 2.0, 100, 2.5);
    EXPECT_NEAR((all.top + all.bottom) / 2.0, 40, 4);
    // The short line alone, below the middle of the block.
    const int h = LineHeight(l, "I");
    const QImage second = img.copy(0, 40, 200, h);
    const InkBox i = FindInk(second, kBack);
    ASSERT_FALSE(i.Empty());
    EXPECT_NEAR((i.left + i.right) / 2.0, 100, 2.5);
    EXPECT_LT(i.Width(), 6);
}

TEST_F(LabelTest, SetAlignmentKeepsStyleInStep) {
    CNewLabel& l = Make(100, 30, "x", 0, kLabelLeft | kLabelTop);
    l.SetAlignment(kLabelCentre);
    EXPECT_EQ(l.GetStyle() & SS_TYPEMASK, SS_CENTER);
    l.SetAlignment(kLabelMiddle); // no horizontal bit: the centre stays
    EXPECT_EQ(l.GetStyle() & SS_TYPEMASK, SS_CENTER);
    l.SetAlignment(kLabelRight | kLabelBottom);
    EXPECT_EQ(l.GetStyle() & SS_TYPEMASK, SS_RIGHT);
    l.SetAlignment(kLabelLeft | kLabelRight);
    EXPECT_EQ(l.GetStyle() & SS_TYPEMASK, SS_LEFT);
}

TEST_F(LabelTest, DisabledTextIsEmbossed) {
    CNewLabel& l = Make(120, 30, "MMMM", 0, kLabelCentre | kLabelMiddle);
    l.SetTextColor(RGB(255, 0, 0));
    Settle();
    QImage img = Grab(l);
    EXPECT_GT(CountNear(img, RGB(255, 0, 0)), 20);
    EXPECT_EQ(CountColour(img, GetSysColor(COLOR_BTNSHADOW)), 0);

    l.EnableWindow(false);
    Settle();
    img = Grab(l);
    EXPECT_EQ(CountNear(img, RGB(255, 0, 0)), 0);
    EXPECT_GT(CountNear(img, GetSysColor(COLOR_BTNSHADOW), 16), 20);
    EXPECT_GT(CountNear(img, GetSysColor(COLOR_BTNHIGHLIGHT), 60), 5);
    // The light copy sits one pixel right and down: the lowest ink is light.
    const InkBox box = FindInk(img, kBack);
    const QImage lowest = img.copy(0, box.bottom, 120, 1);
    EXPECT_GT(CountNear(lowest, GetSysColor(COLOR_BTNHIGHLIGHT), 100), 0);
    EXPECT_EQ(CountNear(lowest, GetSysColor(COLOR_BTNSHADOW), 16), 0);
}
