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
    if (free > 0)
        r.bottom -= free / 2;
    return r;
}
