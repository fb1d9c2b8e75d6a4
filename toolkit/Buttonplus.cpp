#include "toolkit/Buttonplus.h"

#include "platform/ui/CDC.h"
#include "toolkit/ControlGeometry.h"

using namespace win;

Buttonplus::Buttonplus()
    : face_(GetSysColor(COLOR_BTNFACE)), highlight_(GetSysColor(COLOR_BTNHIGHLIGHT)),
      shadow_(GetSysColor(COLOR_BTNSHADOW)), text_(GetSysColor(COLOR_BTNTEXT)),
      disabledText_(GetSysColor(COLOR_GRAYTEXT)), previousFace_(face_), faceBrush_(face_) {}

void Buttonplus::Redraw() {
    if (IsWindow()) {
        Invalidate();
    }
}

void Buttonplus::SetButtonColors(COLORREF face, COLORREF highlight, COLORREF shadow, COLORREF text,
                                 COLORREF disabledText) {
    face_ = face;
    highlight_ = highlight;
    shadow_ = shadow;
    text_ = text;
    disabledText_ = disabledText;
    faceBrush_.CreateSolidBrush(face_);
    Redraw();
}

void Buttonplus::SetButtonFace(COLORREF colour) {
    previousFace_ = face_;
    face_ = colour == CLR_NONE ? GetSysColor(COLOR_BTNFACE) : colour;
    faceBrush_.CreateSolidBrush(face_);
    Redraw();
}

void Buttonplus::Show(bool show) {
    ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void Buttonplus::SetDisabled(bool disabled) {
    EnableWindow(!disabled);
}

void Buttonplus::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.pDC == nullptr) {
        return;
    }
    CDC& dc = *item.pDC;
    const CRect& r = item.rcItem;
    dc.FillSolidRect(r, face_);

    const ButtonLook look =
        ButtonLookFor(r.Width(), r.Height(), (item.itemState & ODS_SELECTED) != 0);
    for (const ButtonBand& band : look.bands) {
        const CRect b(r.left + band.rect.left, r.top + band.rect.top, r.left + band.rect.right,
                      r.top + band.rect.bottom);
        dc.FillSolidRect(b, band.colour == ButtonBand::Highlight ? highlight_ : shadow_);
    }

    CRect textRect = r;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor((item.itemState & ODS_DISABLED) ? disabledText_ : text_);
    dc.DrawText(GetWindowText(), textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);

    if (item.itemState & ODS_FOCUS) {
        dc.DrawFocusRect(CRect(r.left + look.focus.left, r.top + look.focus.top,
                               r.left + look.focus.right, r.top + look.focus.bottom));
    }
}

const CBrush* Buttonplus::CtlColor(CDC& dc, UINT /*kind*/) {
    dc.SetTextColor(text_);
    dc.SetBkColor(face_);
    return &faceBrush_;
}
