// Labels on a real window: fonts, turned and column text, alignment, embossing.

#include "platform/ui/CDC.h"
#include "tests/toolkit/TestWindows.h"
#include "toolkit/CNewLabel.h"
#include "toolkit/TextUnit.h"

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
    EXPECT_EQ(cell.GetBkColor(), kBack);
    EXPECT_EQ(cell.GetTextColor(), kText);
    EXPECT_EQ(cell.GetLabelText(), "H"); // the template text is drawn

    // 15: the whole line, leading included, is 15 pixels; -15 makes the
    // letters themselves that size, so they are larger.
    CNewLabel& character = Make(100, 30, "H", 0, kLabelMiddle);
    character.SetFontSize(-15);
    Settle();
    EXPECT_NEAR(LineHeight(cell), 15, 1); // rounded up from the font's own metrics
    EXPECT_GT(LineHeight(character), LineHeight(cell));
    const int cellInk = FindInk(Grab(cell), kBack).Height();
    EXPECT_LE(cellInk, 11);
    EXPECT_LT(cellInk, FindInk(Grab(character), kBack).Height());

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
    const std::string text = "MMMMM.....";
    const QImage up = Grab(Make(30, 240, text, 270, kLabelBottom));
    const QImage down = Grab(Make(30, 240, text, 90, kLabelBottom));
    const InkBox box = FindInk(up, kBack);
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(box.bottom, 240 - 5) << "placed at the bottom";
    EXPECT_GT(box.top, 60);
    EXPECT_LT(box.left, 6) << "left-aligned";
    EXPECT_GT(box.Height(), box.Width());
    // Ink in the fifth of the text at each end.
    const auto ends = [](const QImage& img, const InkBox& b) {
        const int fifth = b.Height() / 5;
        return std::pair{FindInk(img, kBack, 0, b.top, 30, fifth).count,
                         FindInk(img, kBack, 0, b.bottom + 1 - fifth, 30, fifth).count};
    };
    const auto [top270, bottom270] = ends(up, box);
    EXPECT_GT(bottom270, 3 * top270) << "the first letters are at the bottom";
    // A quarter turn clockwise starts at the top instead.
    const auto [top90, bottom90] = ends(down, FindInk(down, kBack));
    EXPECT_GT(top90, 3 * bottom90);
}

TEST_F(LabelTest, ColumnModeDrawsOneCharacterPerLine) {
    CNewLabel& column = Make(40, 90, "", 0, kLabelTop);
    column.SetColumnText();
    column.SetLabelText("AB");
    EXPECT_EQ(column.GetWindowText(), "A\nB");
    const QImage ic = Grab(column);
    const QImage ia = Grab(Make(40, 90, "A", 0, kLabelTop)),
                 ib = Grab(Make(40, 90, "B", 0, kLabelTop));
    const int h = LineHeight(column);
    ASSERT_GT(h, 5);
    EXPECT_GT(FindInk(ic, kBack, 0, 0, 40, h).count, 10);
    EXPECT_GT(FindInk(ic, kBack, 0, h, 40, h).count, 10);
    EXPECT_EQ(FindInk(ic, kBack, 0, 2 * h, 40, 90).count, 0);
    EXPECT_EQ(ic.copy(0, 0, 40, h), ia.copy(0, 0, 40, h)) << "A on top";
    EXPECT_EQ(ic.copy(0, h, 40, h), ib.copy(0, 0, 40, h)) << "B below";
}

TEST_F(LabelTest, TwoCentredLinesShareTheCentre) {
    CNewLabel& l = Make(200, 80, "MMMMMMMMMM\nI", 0, kLabelCentre | kLabelMiddle);
    const QImage img = Grab(l);
    const InkBox all = FindInk(img, kBack);
    ASSERT_FALSE(all.Empty());
    EXPECT_NEAR((all.left + all.right) / 2.0, 100, 2.5);
    EXPECT_NEAR((all.top + all.bottom) / 2.0, 40, 4);
    // The short line alone, below the middle of the block.
    const InkBox i = FindInk(img, kBack, 0, 40, 200, LineHeight(l));
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
    l.SetTextColor(RGB(255, 0, 0));
    Settle();
    QImage img = Grab(l);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_GT(CountNear(img, RGB(255, 0, 0)), 20);
    EXPECT_EQ(CountColour(img, shadow), 0);

    l.EnableWindow(false);
    Settle();
    img = Grab(l);
    EXPECT_EQ(CountNear(img, RGB(255, 0, 0)), 0);
    EXPECT_GT(CountNear(img, shadow, 16), 20);
    EXPECT_GT(CountNear(img, light, 60), 5);
    // The light copy sits one pixel right and down: the lowest ink is light.
    const QImage lowest = img.copy(0, FindInk(img, kBack).bottom, 120, 1);
    EXPECT_GT(CountNear(lowest, light, 100), 0);
    EXPECT_EQ(CountNear(lowest, shadow, 16), 0);
}

} // namespace
