#include "toolkit/SliderGeometry.h"

#include <climits>
#include <cmath>
#include <cstdint>

SliderScale MakeSliderScale(int clientWidth, int rangeMin, int rangeMax) {
    SliderScale s;
    // A slider narrower than 3 pixels still needs a non-zero divisor.
    s.width = clientWidth - 2 > 0 ? clientWidth - 2 : 1;
    s.minimum = rangeMin;
    s.maximum = rangeMax;
    if (s.minimum == s.maximum) {
        if (s.minimum >= 1) {
            s.minimum -= 1;
        } else if (s.maximum != INT_MAX) {
            s.maximum += 1;
        }
    }
    s.unitsPerPixel = (static_cast<double>(s.maximum) - static_cast<double>(s.minimum)) / s.width;
    return s;
}

int SliderPositionFromX(const SliderScale& scale, int x) {
    const float p = static_cast<float>(x) * static_cast<float>(scale.unitsPerPixel) +
                    static_cast<float>(scale.minimum);
    // std::lround rounds halves away from zero.
    const long r = std::lround(p);
    if (r > INT_MAX) {
        return INT_MAX;
    }
    if (r < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(r);
}

SliderThumb SliderThumbFor(const SliderScale& scale, int position, int left, int top, int right,
                           int bottom) {
    SliderThumb t;
    const std::int64_t span = static_cast<std::int64_t>(scale.maximum) - scale.minimum;
    std::int64_t x = left;
    if (span != 0) {
        x += (static_cast<std::int64_t>(position) - scale.minimum) * scale.width / span;
    }
    t.x = static_cast<int>(x);
    t.left = t.x - 2;
    t.right = t.x + 4;
    t.top = top + 2;
    t.bottom = bottom - 3;
    if (t.right >= right) {
        // The thumb runs into the border line at right - 1: leave that column alone.
        t.rightSide = false;
        t.topEdgeEnd = right - 2;
    } else {
        t.rightSide = true;
        t.topEdgeEnd = t.right;
    }
    return t;
}

SliderTicks SliderTicksFor(int left, int top, int right, int bottom) {
    SliderTicks t;
    const int s = (right - left) / 9;
    for (int k = 0; k < 10; ++k) {
        t.longX[k] = left + 4 + k * s;
    }
    for (int k = 0; k < 9; ++k) {
        t.shortX[k] = left + 4 + s / 2 + k * s;
    }
    t.longTop = top + 5;
    t.longBottom = bottom - 5;
    t.shortTop = top + 10;
    t.shortBottom = bottom - 10;
    return t;
}
