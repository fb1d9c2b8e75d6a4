#pragma once

// Staticplus: a static text drawn in the colours the dialog base gives it (its
// background, its text colour, and a disabled-text colour while it reports
// itself disabled). Disabling it changes its colours only: the window stays
// enabled, so a click on it still reaches its dialog.

#include "platform/ui/CStatic.h"
#include "platform/ui/Colorref.h"
#include "toolkit/Tplus.h"

class Staticplus : public win::CStatic, public Tplus {
public:
    Staticplus();

    // CLR_NONE (-1) selects the system button-face colour.
    void SetBackColor(win::COLORREF colour) override;
    // CLR_NONE (-1) draws in the system button-text colour; the value asked
    // for is kept.
    void SetTextColor(win::COLORREF colour) override;
    void SetDisabledTextColor(win::COLORREF colour) override;

    void Show(bool show) override;
    // A disabled control enrolled as type 14 also takes the scheme's
    // disabled-text colour as background (kept when enabled again) and black
    // as disabled text.
    void SetDisabled(bool disabled) override;
    bool IsDisabled() const override { return !enabled_; }

    win::COLORREF GetBackColor() const { return background_; }
    win::COLORREF GetRequestedTextColor() const { return requestedText_; }
    win::COLORREF GetTextColor() const { return effectiveText_; }
    win::COLORREF GetDisabledTextColor() const { return disabledText_; }

    const win::CBrush* CtlColor(win::CDC& dc, win::UINT kind) override;

private:
    void Redraw();

    win::COLORREF background_;
    win::CBrush brush_;
    win::COLORREF requestedText_ = win::RGB(255, 255, 255);
    win::COLORREF effectiveText_ = win::RGB(255, 255, 255);
    win::COLORREF disabledText_ = win::RGB(205, 0, 0);
};
