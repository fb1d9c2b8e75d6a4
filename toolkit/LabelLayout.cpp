#include "toolkit/LabelLayout.h"

#include <algorithm>

LabelAlignment LabelDrawAlignment(int flags) {
    LabelAlignment a;
    a.horizontal = (flags & kLabelRight) ? 2 : (flags & kLabelCentre) ? 1 : 0;
    a.vertical = (flags & kLabelBottom) ? 2 : (flags & kLabelMiddle) ? 1 : 0;
    return a;
}

int LabelApplyAlignment(int current, int flags) {
    int result = current;
    if (flags & kLabelLeft) {
        result = kLabelLeft;
    } else if (flags & kLabelCentre) {
        result = kLabelCentre;
    } else if (flags & kLabelRight) {
        result = kLabelRight;
    }
    if (flags & kLabelBottom) {
        result |= kLabelBottom;
    } else if (flags & kLabelMiddle) {
        result |= kLabelMiddle;
    } else if (flags & kLabelTop) {
        result |= kLabelTop;
    }
    return result;
}

std::vector<std::string> LabelLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            lines.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return lines;
}

std::string LabelColumnText(const std::string& text) {
    std::string out;
    for (std::string::size_type i = 0; i < text.size(); ++i) {
        if (i > 0) {
            out += '\n';
        }
        out += text[i];
    }
    return out;
}

int LabelNormalAngle(int angle) {
    return (angle == 90 || angle == 180 || angle == 270) ? angle : 0;
}

LabelBox LabelTurnedSize(int width, int height, int angle) {
    const int a = LabelNormalAngle(angle);
    if (a == 90 || a == 270) {
        return {0, 0, height, width};
    }
    return {0, 0, width, height};
}

static int Offset(int free, int where) {
    switch (where) {
    case 1:
        return free / 2;
    case 2:
        return free;
    default:
        return 0;
    }
}

LabelBox LabelPlace(int imageWidth, int imageHeight, int W, int H, LabelAlignment align) {
    LabelBox b;
    b.width = std::max(0, std::min(imageWidth, W));
    b.height = std::max(0, std::min(imageHeight, H));
    b.x = Offset(W - b.width, align.horizontal);
    b.y = Offset(H - b.height, align.vertical);
    return b;
}

int LabelLineX(int lineWidth, int bandWidth, int horizontal) {
    return Offset(bandWidth - lineWidth, horizontal);
}
