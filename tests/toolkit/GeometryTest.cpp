// Placement arithmetic of the slider and the tab texts; readable text colours.

#include "toolkit/Contrast.h"
#include "toolkit/ControlGeometry.h"
#include "toolkit/SliderGeometry.h"

#include <array>
#include <climits>
#include <gtest/gtest.h>

TEST(SliderGeometry, ClickPositions) {
    const SliderScale s = MakeSliderScale(202, 0, 100);
    EXPECT_EQ(s.width, 200);
    EXPECT_DOUBLE_EQ(s.unitsPerPixel, 0.5);
    // -12..12 over 48 pixels: half a unit per pixel, halves rounded away from zero.
    const SliderScale n = MakeSliderScale(50, -12, 12);
    struct {
        const SliderScale& scale;
        int x, pos;
    } cases[] = {{s, 0, 0},   {s, 100, 50}, {s, 101, 51}, {s, 99, 50}, {s, 200, 100}, {s, 3, 2},
                 {n, 0, -12}, {n, 23, -1},  {n, 24, 0},   {n, 25, 1},  {n, 48, 12}};
    for (auto c : cases) {
        EXPECT_EQ(SliderPositionFromX(c.scale, c.x), c.pos) << "x=" << c.x;
    }
}

TEST(SliderGeometry, SingleValueRangesExtremesThumbAndTicks) {
    // 5..5 draws as 4..5; 0..0 cannot go down past 1 and goes up instead.
    const std::array<int, 3> singles[] = {
        {5, 4, 5}, {1, 0, 1}, {0, 0, 1}, {-3, -3, -2}, {INT_MAX, INT_MAX - 1, INT_MAX}};
    for (const auto [v, lo, hi] : singles) {
        const SliderScale s = MakeSliderScale(202, v, v);
        EXPECT_EQ(std::pair(s.minimum, s.maximum), std::pair(lo, hi)) << v;
    }
    const SliderScale tiny = MakeSliderScale(1, 0, 10),
                      big = MakeSliderScale(202, INT_MIN, INT_MAX);
    EXPECT_EQ(std::pair(tiny.width, MakeSliderScale(2, 0, 10).width), std::pair(1, 1));
    EXPECT_EQ(SliderThumbFor(tiny, 10, 0, 0, 1, 8).x, 1);
    EXPECT_EQ(SliderThumbFor(big, INT_MAX, 0, 0, 202, 20).x, 200);
    EXPECT_EQ(SliderThumbFor(big, INT_MIN, 0, 0, 202, 20).x, 0);
    const auto thumb = [](int lo, int hi, int pos) {
        const SliderThumb t = SliderThumbFor(MakeSliderScale(202, lo, hi), pos, 0, 0, 202, 20);
        return std::vector{t.x, t.left, t.right, t.top, t.bottom, t.topEdgeEnd, int{t.rightSide}};
    };
    EXPECT_EQ(thumb(0, 100, 50), (std::vector{100, 98, 104, 2, 17, 104, 1}));
    // Into the border line at x = 201: the edges stop short of it.
    EXPECT_EQ(thumb(5, 5, 5), (std::vector{200, 198, 204, 2, 17, 200, 0}));
    const SliderTicks t = SliderTicksFor(0, 0, 202, 17);
    EXPECT_EQ((std::vector{t.longX[0], t.longX[3], t.longX[8], t.shortX[0], t.shortX[8], t.longTop,
                           t.longBottom, t.shortTop, t.shortBottom}),
              (std::vector{4, 70, 180, 15, 191, 5, 12, 10, 7}));
}

TEST(ControlGeometry, PicturesAndTabTexts) {
    struct {
        int width, height;
        PixelRect area, fitted;
    } cases[] = {
        {240, 100, {20, 26, 180, 68}, {49, 26, 150, 68}}, // the logo in the header
        {240, 100, {0, 0, 120, 200}, {0, 75, 120, 125}},  // width limits
        {25, 25, {3, 2, 26, 25}, {3, 2, 26, 25}},         // a tab image, shrunk
        {0, 25, {3, 2, 26, 25}, {3, 2, 3, 2}},            // no picture
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FitRect(c.width, c.height, c.area), c.fitted) << c.width << "x" << c.height;
    }
    EXPECT_EQ(TabImageRect({10, 2, 80, 25}, 25, 25), (PixelRect{11, 2, 34, 25}));
    // One text line centred by raising the bottom edge.
    EXPECT_EQ(TabTextRect({10, 0, 60, 24}, 16), (PixelRect{10, 0, 60, 20}));
    EXPECT_EQ(TabTextRect({10, 0, 60, 24}, 15), (PixelRect{10, 0, 60, 20}));
    EXPECT_EQ(TabTextRect({10, 0, 60, 12}, 16), (PixelRect{10, 0, 60, 12}));
}

TEST(Contrast, DisabledTextIsMovedUntilItReads) {
    using win::RGB;
    EXPECT_NEAR(ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(RGB(90, 90, 90), RGB(0, 51, 102)), 1.83, 0.01);
    struct {
        win::COLORREF text, background;
        bool kept;
    } cases[] = {
        {RGB(90, 90, 90), RGB(0, 51, 102), false},       // the built-in grey on dark blue
        {RGB(205, 0, 0), RGB(255, 255, 255), true},      // already readable
        {RGB(200, 200, 200), RGB(240, 240, 240), false}, // pale on pale: darkened
        {RGB(0, 0, 0), RGB(0, 0, 0), false},
    };
    for (const auto& c : cases) {
        const win::COLORREF shown = ReadableOn(c.text, c.background);
        EXPECT_EQ(shown == c.text, c.kept) << std::hex << c.text;
        EXPECT_GE(ContrastRatio(shown, c.background), 3.0) << std::hex << c.text;
    }
}
