#pragma once

// Where the owner-drawn controls put their parts, apart from the painting so
// that the placement can be checked without a window. Rectangles are in
// client pixels, right and bottom exclusive.

#include <vector>

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

enum class LightShape { Ball, Bar };

// The light sits at the left edge, centred vertically when the control is
// taller than the light, otherwise at the top: a 15-pixel ball or a 15 x 7 bar.
PixelRect LightRect(LightShape shape, int clientHeight);

// One edge band of an owner-drawn push button.
struct ButtonBand {
    enum Colour { Highlight, Shadow } colour;
    PixelRect rect;
};

struct ButtonLook {
    std::vector<ButtonBand> bands; // painted in order over the face
    PixelRect focus;               // focus rectangle, one pixel outside the innermost edge
};

// Edges of a button `width` x `height`: raised (a shadow frame, a second shadow
// line on the right and bottom, a highlight line 6 pixels in on the left and top)
// or pressed (highlight on the left and top, shadow 2 pixels further in).
// Edges are 2 pixels wide.
ButtonLook ButtonLookFor(int width, int height, bool pressed);

// A tab drawn as a button: a 1-pixel gap on either side, a 2-pixel edge, and
// the face inside, where the tab's own drawing goes.
PixelRect TabButtonRect(const PixelRect& tab);
PixelRect TabFaceRect(const PixelRect& tab);

// The rectangle a tab's text is drawn in, left-aligned at its bottom: the tab
// with its bottom edge raised by half the free height (tab height less text
// height), which centres one line vertically.
PixelRect TabTextRect(const PixelRect& tab, int textHeight);

// A picture of `width` x `height` at its own aspect ratio, as large as fits in
// `area` and centred there; empty for an empty picture or area.
PixelRect FitRect(int width, int height, const PixelRect& area);

// Where a tab's image goes: a square at the left of the tab's face, as high
// as the face, the image fitted into it.
PixelRect TabImageRect(const PixelRect& face, int imageWidth, int imageHeight);
