#include "toolkit/IconStatic.h"

#include "platform/ui/CDC.h"

#include <algorithm>

using namespace win;

void IconStatic::SetImage(const CImage& image) {
    image_ = image;
    Invalidate();
}

bool IconStatic::OnEraseBkgnd(CDC&) {
    return true; // the dialog's background shows around the picture
}

bool IconStatic::OnPaint(CDC& dc) {
    if (image_.IsNull()) {
        return true;
    }
    CRect r;
    GetClientRect(&r);
    // At its own size when it fits, otherwise scaled down to the control.
    const int side = std::min({r.Width(), r.Height(), std::max(image_.Width(), image_.Height())});
    const int x = r.left + (r.Width() - side) / 2;
    const int y = r.top + (r.Height() - side) / 2;
    dc.StretchImage(image_, CRect(x, y, x + side, y + side));
    return true;
}
