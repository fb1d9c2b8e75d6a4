#pragma once

// IconStatic: a static control that shows a picture at its own size, centred
// (the icon of the About box).

#include "platform/ui/CImage.h"
#include "platform/ui/CStatic.h"

class IconStatic : public win::CStatic {
public:
    void SetImage(const win::CImage& image);
    const win::CImage& Image() const { return image_; }

    bool OnEraseBkgnd(win::CDC& dc) override;
    bool OnPaint(win::CDC& dc) override;

private:
    win::CImage image_;
};
