#pragma once

// Lights: an indicator light at the left edge of a static control, vertically
// centred: a ball 15 pixels across or a bar 15 x 7, filled and outlined in the
// colours last set (the platform's default pen and brush before that).
//
//   light.SetLightColor(RGB(0, 255, 0), RGB(0, 0, 0)); // on

#include "platform/ui/CStatic.h"
#include "platform/ui/Colorref.h"
#include "platform/ui/Gdi.h"
#include "toolkit/ControlGeometry.h"

// The outline of a light that is off: its fill colour moved halfway to white
// (each channel c becomes c + (255 - c) / 2).
win::COLORREF HalfwayToWhite(win::COLORREF colour);

class Lights : public win::CStatic {
public:
    Lights() = default;

    // Fill and 1-pixel outline; the light is redrawn at once.
    void SetLightColor(win::COLORREF fill, win::COLORREF outline);
    virtual void SetShape(LightShape shape);
    LightShape GetShape() const { return shape_; }
    bool HasColor() const { return coloured_; }
    win::COLORREF GetFillColor() const { return brush_.Colour(); }
    win::COLORREF GetOutlineColor() const { return pen_.Colour(); }

    bool OnPaint(win::CDC& dc) override;

protected:
    LightShape shape_ = LightShape::Ball;

private:
    win::CBrush brush_;
    win::CPen pen_;
    bool coloured_ = false;
};
