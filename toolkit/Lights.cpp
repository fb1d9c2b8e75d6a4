#include "toolkit/Lights.h"

#include "platform/ui/CDC.h"

using namespace win;

COLORREF HalfwayToWhite(COLORREF colour) {
    auto lighten = [](int v) { return v + (255 - v) / 2; };
    return RGB(lighten(GetRValue(colour)), lighten(GetGValue(colour)), lighten(GetBValue(colour)));
}

void Lights::SetLightColor(COLORREF fill, COLORREF outline) {
    brush_.CreateSolidBrush(fill);
    pen_.CreatePen(PS_SOLID, 1, outline);
    coloured_ = true;
    if (IsWindow()) {
        RedrawWindow();
    }
}

void Lights::SetShape(LightShape shape) {
    shape_ = shape;
    if (IsWindow()) {
        Invalidate();
    }
}

bool Lights::OnPaint(CDC& dc) {
    CRect client;
    GetClientRect(&client);
    const PixelRect r = LightRect(shape_, client.Height());
    if (coloured_) {
        dc.SelectObject(&pen_);
        dc.SelectObject(&brush_);
    }
    const CRect light(client.left + r.left, client.top + r.top, client.left + r.right,
                      client.top + r.bottom);
    if (shape_ == LightShape::Ball) {
        dc.Ellipse(light);
    } else {
        dc.Rectangle(light);
    }
    return true;
}
