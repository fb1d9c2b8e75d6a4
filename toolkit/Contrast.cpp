#include "toolkit/Contrast.h"

#include <algorithm>
#include <cmath>

using namespace win;

namespace {

double Linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(COLORREF c) {
    return 0.2126 * Linear(GetRValue(c)) + 0.7152 * Linear(GetGValue(c)) +
           0.0722 * Linear(GetBValue(c));
}

int Mix(int from, int to, int step, int steps) {
    return from + (to - from) * step / steps;
}

} // namespace

double ContrastRatio(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

COLORREF ReadableOn(COLORREF wanted, COLORREF background, double ratio) {
    if (ContrastRatio(wanted, background) >= ratio) {
        return wanted;
    }
    // Towards whichever end lies further from the background.
    const int end = Luminance(background) < 0.18 ? 255 : 0;
    constexpr int kSteps = 32;
    COLORREF mixed = wanted;
    for (int step = 1; step <= kSteps; ++step) {
        mixed = RGB(Mix(GetRValue(wanted), end, step, kSteps),
                    Mix(GetGValue(wanted), end, step, kSteps),
                    Mix(GetBValue(wanted), end, step, kSteps));
        if (ContrastRatio(mixed, background) >= ratio) {
            break;
        }
    }
    return mixed;
}
