#include "platform/ui/CColorButton.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CommonDialogs.h"

namespace win {

void CColorButton::SetColor(COLORREF colour) {
    colour_ = colour;
    Invalidate();
}

void CColorButton::PreSubclassWindow() {
    CButton::PreSubclassWindow();
}

void CColorButton::OnClicked() {
    Pick();
}

void CColorButton::Pick() {
    ColorRequest request;
    request.owner = this;
    request.initial = colour_;
    COLORREF chosen = colour_;
    if (!CommonDialogs::Current().ChooseColor(request, chosen)) {
        return;
    }
    SetColor(chosen);
    CButton::OnClicked();
}

bool CColorButton::OnPaint(CDC& dc) {
    CRect r;
    GetClientRect(&r);
    const bool enabled = IsWindowEnabled();
    dc.FillSolidRect(r, GetSysColor(COLOR_BTNFACE));
    CPen frame(PS_SOLID, 1, GetSysColor(IsPressed() ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
    CBrush hollow = CBrush::Hollow();
    dc.SelectObject(&frame);
    dc.SelectObject(&hollow);
    dc.Rectangle(r);
    CRect swatch = r;
    swatch.DeflateRect(4, 4);
    CPen edge(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CBrush fill(enabled ? colour_ : GetSysColor(COLOR_BTNFACE));
    dc.SelectObject(&edge);
    dc.SelectObject(&fill);
    dc.Rectangle(swatch);
    dc.SelectObject(static_cast<CPen*>(nullptr));
    dc.SelectObject(static_cast<CBrush*>(nullptr));
    return true;
}

} // namespace win
