#pragma once

// Text colours that stay readable: the contrast of two colours as the web's
// accessibility guidelines measure it (1 to 21), and a colour moved towards
// white or black until it reaches a wanted contrast on its background.

#include "platform/ui/Colorref.h"

double ContrastRatio(win::COLORREF a, win::COLORREF b);

// `wanted` when it has at least `ratio` on `background`; otherwise `wanted`
// mixed with white (on a dark background) or black (on a light one) just far
// enough to reach it, or as far as it goes.
win::COLORREF ReadableOn(win::COLORREF wanted, win::COLORREF background, double ratio = 3.0);
