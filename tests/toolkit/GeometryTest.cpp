// Placement arithmetic of the slider, the labels and the tab texts; readable text colours.

#include "toolkit/Contrast.h"
#include "toolkit/ControlGeometry.h"
#include "toolkit/LabelLayout.h"
#include "toolkit/SliderGeometry.h"

#include <climits>
#include <gtest/gtest.h>

TEST(SliderGeometry, ClickPositionsOnA202PixelSlider) {
    const SliderScale s = MakeSliderScale(202, 0, 100);
    EXPECT_EQ(s.width, 200);
    EXPECT_DOUBLE_EQ(s.unitsPerPixel, 0.5);
    struct {
        int x, pos;
    } cases[] = {{0, 0}, {100, 50}, {101, 51}, {99, 50}, {200, 100}, {3, 2}};
    for (auto c : cases) {
        EXPECT_EQ(SliderPositionFromX(s, c.x), c.pos) << "x=" << c.x;
    }
}

TEST(SliderGeometry, NegativeRangeRoundsHalvesAwayFromZero) {
    // -12..12 over 48 pixels: half a unit per pixel.
    const SliderScale s = MakeSliderScale(50, -12, 12);
    EXPECT_EQ(SliderPositionFromX(s, 0), -12);
    EXPECT_EQ(SliderPositionFromX(s, 23), -1); // -0.5 -> -1
    EXPECT_EQ(SliderPositionFromX(s, 24), 0);
    EXPECT_EQ(SliderPositionFromX(s, 25), 1); // 0.5 -> 1
    EXPECT_EQ(SliderPositionFromX(s, 48), 12);
}

TEST(SliderGeometry, SingleValueRanges) {
    // 5..5 draws as 4..5.
    SliderScale s = MakeSliderScale(202, 5, 5);
    EXPECT_EQ(s.minimum, 4);
    EXPECT_EQ(s.maximum, 5);
    EXPECT_EQ(SliderThumbFor(s, 5, 0, 0, 202, 20).x, 200);
    // 0..0 cannot go down past 1 and goes up instead.
    s = MakeSliderScale(202, 0, 0);
    EXPECT_EQ(s.minimum, 0);
    EXPECT_EQ(s.maximum, 1);
    s = MakeSliderScale(202, -3, -3);
    EXPECT_EQ(s.minimum, -3);
    EXPECT_EQ(s.maximum, -2);
    s = MakeSliderScale(202, INT_MAX, INT_MAX);
    EXPECT_EQ(s.minimum, INT_MAX - 1);
}

TEST(SliderGeometry, TinyAndHugeSlidersStayFinite) {
    const SliderScale s = MakeSliderScale(1, 0, 10);
    EXPECT_EQ(s.width, 1);
    EXPECT_EQ(SliderThumbFor(s, 10, 0, 0, 1, 8).x, 1);
    const SliderScale big = MakeSliderScale(202, INT_MIN, INT_MAX);
    EXPECT_EQ(SliderThumbFor(big, INT_MAX, 0, 0, 202, 20).x, 200);
    EXPECT_EQ(SliderThumbFor(big, INT_MIN, 0, 0, 202, 20).x, 0);
}

TEST(LabelLayout, SetAlignmentRules) {
    struct {
        int current, flags, result;
    } cases[] = {
        {9, 2, 2},           // centre replaces left and top
        {2, 16, 18},         // no horizontal bit: keeps centre, adds middle
        {9, 1 | 2 | 4, 1},   // left wins
        {9, 2 | 4, 2},       // centre beats right
        {9, 4 | 8 | 32, 36}, // bottom beats top
        {9, 16 | 8, 25},     // middle beats top, added to what was there
        {9, 0, 9},
    };
    for (auto c : cases) {
        EXPECT_EQ(LabelApplyAlignment(c.current, c.flags), c.result)
            << c.current << " + " << c.flags;
    }
}

TEST(LabelLayout, DrawAlignmentPrecedence) {
    struct {
        int flags, h, v;
    } cases[] = {{9, 0, 0}, {2, 1, 0}, {18, 1, 1}, {32, 0, 2}, {4 | 2 | 1 | 32 | 16, 2, 2},
                 {0, 0, 0}};
    for (auto c : cases) {
        const LabelAlignment a = LabelDrawAlignment(c.flags);
        EXPECT_EQ(a.horizontal, c.h) << c.flags;
        EXPECT_EQ(a.vertical, c.v) << c.flags;
    }
}

TEST(LabelLayout, LinesAndColumns) {
    EXPECT_EQ(LabelLines("AB\n\nC\n"), (std::vector<std::string>{"AB", "C"}));
    EXPECT_TRUE(LabelLines("").empty());
    EXPECT_TRUE(LabelLines("\n\n").empty());
    EXPECT_EQ(LabelColumnText("INFO"), "I\nN\nF\nO");
    EXPECT_EQ(LabelColumnText(""), "");
}

TEST(LabelLayout, TurnedSizeAndPlacement) {
    EXPECT_EQ(LabelTurnedSize(60, 15, 90).width, 15);
    EXPECT_EQ(LabelTurnedSize(60, 15, 45).width, 60); // only quarter turns swap

    // A 270 label with flags 32: bottom, left.
    LabelBox b = LabelPlace(15, 60, 20, 100, LabelDrawAlignment(32));
    EXPECT_EQ(b.x, 0);
    EXPECT_EQ(b.y, 40);
    // Centred both ways, odd free space rounds down.
    b = LabelPlace(15, 60, 20, 101, LabelDrawAlignment(2 | 16));
    EXPECT_EQ(b.x, 2);
    EXPECT_EQ(b.y, 20);
    // Larger than the label: cut and placed at the origin.
    b = LabelPlace(150, 60, 20, 30, LabelDrawAlignment(4 | 32));
    EXPECT_EQ(b.x, 0);
    EXPECT_EQ(b.y, 0);
    EXPECT_EQ(b.width, 20);
    EXPECT_EQ(b.height, 30);

    EXPECT_EQ(LabelLineX(10, 40, 0), 0);
    EXPECT_EQ(LabelLineX(10, 40, 1), 15);
    EXPECT_EQ(LabelLineX(10, 40, 2), 30);
}

TEST(PictureGeometry, FitKeepsTheAspectRatioAndCentres) {
    struct Case {
        int width, height;
        PixelRect area, fitted;
    };
    const Case cases[] = {
        {240, 100, {20, 26, 180, 68}, {49, 26, 150, 68}}, // the logo in the header
        {240, 100, {0, 0, 120, 200}, {0, 75, 120, 125}},  // width limits
        {25, 25, {3, 2, 26, 25}, {3, 2, 26, 25}},         // a tab image, shrunk
        {0, 25, {3, 2, 26, 25}, {3, 2, 3, 2}},            // no picture
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitRect(c.width, c.height, c.area), c.fitted) << c.width << "x" << c.height;
    }
    EXPECT_EQ(TabImageRect({10, 2, 80, 25}, 25, 25), (PixelRect{11, 2, 34, 25}));
}

TEST(TabGeometry, TextCentredByItsBottomEdge) {
    EXPECT_EQ(TabTextRect({10, 0, 60, 24}, 16), (PixelRect{10, 0, 60, 20}));
    EXPECT_EQ(TabTextRect({10, 0, 60, 24}, 15), (PixelRect{10, 0, 60, 20}));
    EXPECT_EQ(TabTextRect({10, 0, 60, 12}, 16), (PixelRect{10, 0, 60, 12}));
}

TEST(Contrast, DisabledTextIsMovedUntilItReads) {
    using win::RGB;
    EXPECT_NEAR(ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(RGB(90, 90, 90), RGB(0, 51, 102)), 1.83, 0.01);
    struct Case {
        win::COLORREF text, background;
        bool kept;
    } cases[] = {
        {RGB(90, 90, 90), RGB(0, 51, 102), false},       // the built-in grey on dark blue
        {RGB(205, 0, 0), RGB(255, 255, 255), true},      // already readable
        {RGB(200, 200, 200), RGB(240, 240, 240), false}, // pale on pale: darkened
        {RGB(0, 0, 0), RGB(0, 0, 0), false},
    };
    for (const Case& c : cases) {
        const win::COLORREF shown = ReadableOn(c.text, c.background);
        EXPECT_EQ(shown == c.text, c.kept) << std::hex << c.text;
        EXPECT_GE(ContrastRatio(shown, c.background), 3.0) << std::hex << c.text;
    }
}
