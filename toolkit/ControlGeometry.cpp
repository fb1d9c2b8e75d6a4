#include "toolkit/ControlGeometry.h"

namespace {
constexpr int kLightSide = 15;
constexpr int kBarHeight = 7;
constexpr int kEdge = 2;

// The left and top edges of the rectangle inset by `in`, `kEdge` wide.
void LeftTop(std::vector<ButtonBand>& out, ButtonBand::Colour c, int w, int h, int in) {
    out.push_back({c, {in, in, in + kEdge, h - in}});
    out.push_back({c, {in, in, w - in, in + kEdge}});
}

void RightBottom(std::vector<ButtonBand>& out, ButtonBand::Colour c, int w, int h, int in) {
    out.push_back({c, {w - in - kEdge, in, w - in, h - in}});
    out.push_back({c, {in, h - in - kEdge, w - in, h - in}});
}
} // namespace

PixelRect LightRect(LightShape shape, int clientHeight) {
    const int h = shape == LightShape::Ball ? kLightSide : kBarHeight;
    const int top = clientHeight > h ? (clientHeight - h) / 2 : 0;
    return {0, top, kLightSide, top + h};
}

ButtonLook ButtonLookFor(int width, int height, bool pressed) {
    ButtonLook look;
    int inner = 0;
    if (pressed) {
        LeftTop(look.bands, ButtonBand::Highlight, width, height, 0);
        LeftTop(look.bands, ButtonBand::Shadow, width, height, kEdge);
        inner = kEdge;
    } else {
        LeftTop(look.bands, ButtonBand::Shadow, width, height, 0);
        RightBottom(look.bands, ButtonBand::Shadow, width, height, 0);
        RightBottom(look.bands, ButtonBand::Shadow, width, height, kEdge);
        LeftTop(look.bands, ButtonBand::Highlight, width, height, 6);
        inner = 6;
    }
    look.focus = {inner - 1, inner - 1, width - inner + 1, height - inner + 1};
    return look;
}

PixelRect TabButtonRect(const PixelRect& tab) {
    return {tab.left + 1, tab.top, tab.right - 1, tab.bottom};
}

PixelRect TabFaceRect(const PixelRect& tab) {
    const PixelRect b = TabButtonRect(tab);
    return {b.left + kEdge, b.top + kEdge, b.right - kEdge, b.bottom - kEdge};
}

PixelRect TabTextRect(const PixelRect& tab, int textHeight) {
    PixelRect r = tab;
    const int free = tab.Height() - textHeight;
    if (free > 0) {
        r.bottom -= free / 2;
    }
    return r;
}

PixelRect FitRect(int width, int height, const PixelRect& area) {
    if (width <= 0 || height <= 0 || area.Width() <= 0 || area.Height() <= 0) {
        return {area.left, area.top, area.left, area.top};
    }
    // The side that limits the picture decides the scale; the other follows,
    // rounded to the nearest pixel.
    int w = area.Width();
    int h = static_cast<int>((static_cast<long long>(height) * w * 2 + width) / (2LL * width));
    if (h > area.Height()) {
        h = area.Height();
        w = static_cast<int>((static_cast<long long>(width) * h * 2 + height) / (2LL * height));
    }
    const int left = area.left + (area.Width() - w) / 2;
    const int top = area.top + (area.Height() - h) / 2;
    return {left, top, left + w, top + h};
}

PixelRect TabImageRect(const PixelRect& face, int imageWidth, int imageHeight) {
    const PixelRect square{face.left + 1, face.top, face.left + 1 + face.Height(), face.bottom};
    return FitRect(imageWidth, imageHeight, square);
}
