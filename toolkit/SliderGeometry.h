#pragma once

// Geometry of the toolkit slider, kept apart from its painting so that the
// arithmetic can be checked without a window.

#include <array>

// The scale the slider draws with: usable width and the range in effect.
struct SliderScale {
    int width = 1;   // client width minus 2 pixels (at least 1)
    int minimum = 0; // range used for drawing (never equal to maximum)
    int maximum = 1;
    double unitsPerPixel = 1.0;
};

// The red thumb outline in client pixels; every coordinate is a drawn pixel.
struct SliderThumb {
    int x = 0;             // thumb reference column
    int left = 0;          // x - 2
    int right = 0;         // x + 4
    int top = 0;           // client top + 2
    int bottom = 0;        // client bottom - 3
    int topEdgeEnd = 0;    // last column of the top and bottom edges
    bool rightSide = true; // false when the thumb runs into the right edge
};

// Tick marks: 10 long ticks and 9 short ones.
struct SliderTicks {
    std::array<int, 10> longX{};
    std::array<int, 9> shortX{};
    int longTop = 0, longBottom = 0; // line from top to bottom, bottom not drawn
    int shortTop = 0, shortBottom = 0;
};

// Scale for a client area `clientWidth` wide and the slider range. A range of a
// single value draws as if it reached one further down (or up at the bottom).
SliderScale MakeSliderScale(int clientWidth, int rangeMin, int rangeMax);

// Position for a click at client x: x * units per pixel + minimum in single
// precision, rounded half away from zero (not yet clamped to the range).
int SliderPositionFromX(const SliderScale& scale, int x);

// Thumb outline for a position, in a client rectangle left/top/right/bottom
// (right and bottom exclusive).
SliderThumb SliderThumbFor(const SliderScale& scale, int position, int left, int top, int right,
                           int bottom);

SliderTicks SliderTicksFor(int left, int top, int right, int bottom);
