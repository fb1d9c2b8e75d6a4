#pragma once

// Layout rules of the toolkit labels (alignment flags, lines, turned images),
// apart from any drawing so that they can be checked without a window.

#include <string>
#include <vector>

// Label alignment flags: one horizontal and one vertical placement.
enum LabelAlignFlags : int {
    kLabelLeft = 1,
    kLabelCentre = 2,
    kLabelRight = 4,
    kLabelTop = 8,
    kLabelMiddle = 16,
    kLabelBottom = 32,
};

// Alignment as the text rotator takes it: 0 left/top, 1 centre/middle, 2 right/bottom.
struct LabelAlignment {
    int horizontal = 0;
    int vertical = 0;
};

struct LabelBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Drawing alignment from the flags: right beats centre beats left, bottom beats
// middle beats top.
LabelAlignment LabelDrawAlignment(int flags);

// The alignment after SetAlignment(flags) on a label whose alignment is
// `current`: a horizontal bit in the flags (1 before 2 before 4) replaces the
// whole alignment; then the flags' vertical bit (32 before 16 before 8) is added.
int LabelApplyAlignment(int current, int flags);

// The text's lines, split at line feeds, empty lines dropped.
std::vector<std::string> LabelLines(const std::string& text);

// Column mode text: one character per line.
std::string LabelColumnText(const std::string& text);

// Angles other than 90, 180 and 270 draw unturned.
int LabelNormalAngle(int angle);

// Size of the turned image of a text block `width` x `height`.
LabelBox LabelTurnedSize(int width, int height, int angle);

// Place an image in a W x H rectangle: cut to the rectangle, then left/centre/right
// and top/middle/bottom.
LabelBox LabelPlace(int imageWidth, int imageHeight, int W, int H, LabelAlignment align);

// Left edge of a line `lineWidth` wide in a band `bandWidth` wide.
int LabelLineX(int lineWidth, int bandWidth, int horizontal);
