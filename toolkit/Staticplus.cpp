#include "toolkit/Staticplus.h"

#include "infra/ColorScheme.h"
#include "platform/ui/CDC.h"
#include "toolkit/Contrast.h"

using namespace win;

Staticplus::Staticplus() : background_(GetSysColor(COLOR_BTNFACE)), brush_(background_) {}

void Staticplus::Redraw() {
    if (IsWindow()) {
        Invalidate();
    }
}

void Staticplus::SetBackColor(COLORREF colour) {
    background_ = colour == CLR_NONE ? GetSysColor(COLOR_BTNFACE) : colour;
    brush_.CreateSolidBrush(background_);
    Redraw();
}

void Staticplus::SetTextColor(COLORREF colour) {
    requestedText_ = colour;
    effectiveText_ = colour == CLR_NONE ? GetSysColor(COLOR_BTNTEXT) : colour;
    Redraw();
}

void Staticplus::SetDisabledTextColor(COLORREF colour) {
    disabledText_ = colour;
    Redraw();
}

void Staticplus::Show(bool show) {
    ShowWindow(show ? SW_SHOW : SW_HIDE);
}

void Staticplus::SetDisabled(bool disabled) {
    enabled_ = !disabled;
    if (disabled && type_ == ControlType::DimmableField) {
        background_ = TheColorScheme().Main.DisabledText;
        brush_.CreateSolidBrush(background_);
        disabledText_ = RGB(0, 0, 0);
    }
    Redraw();
}

const CBrush* Staticplus::CtlColor(CDC& dc, UINT /*kind*/) {
    // A disabled text still reads against its background (3:1 at least),
    // whatever the colour scheme asks for.
    dc.SetTextColor(enabled_ ? effectiveText_ : ReadableOn(disabledText_, background_));
    dc.SetBkColor(background_);
    return &brush_;
}
