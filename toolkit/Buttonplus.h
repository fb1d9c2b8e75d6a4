#pragma once

// Buttonplus: a button in the colour scheme's button colours. As an
// owner-drawn push button it draws its face, raised or pressed 2-pixel edges,
// its text centred on one line and a focus frame; as a check or option button
// it answers the colour request with its text colour on its face.

#include "platform/ui/CButton.h"
#include "platform/ui/Colorref.h"
#include "toolkit/Tplus.h"

class Buttonplus : public win::CButton, public Tplus {
public:
    Buttonplus();

    void SetButtonColors(win::COLORREF face, win::COLORREF highlight, win::COLORREF shadow,
                         win::COLORREF text, win::COLORREF disabledText) override;
    // CLR_NONE (-1) selects the system button face; the previous face is kept
    // (GetPreviousFace).
    void SetButtonFace(win::COLORREF colour) override;

    void Show(bool show) override;
    // Enables or disables the window itself.
    void SetDisabled(bool disabled) override;

    win::COLORREF GetFace() const { return face_; }
    win::COLORREF GetPreviousFace() const { return previousFace_; }
    win::COLORREF GetHighlight() const { return highlight_; }
    win::COLORREF GetShadow() const { return shadow_; }
    win::COLORREF GetTextColor() const { return text_; }
    win::COLORREF GetDisabledTextColor() const { return disabledText_; }

    void DrawItem(const win::DRAWITEMSTRUCT& item) override;
    const win::CBrush* CtlColor(win::CDC& dc, win::UINT kind) override;

private:
    void Redraw();

    win::COLORREF face_;
    win::COLORREF highlight_;
    win::COLORREF shadow_;
    win::COLORREF text_;
    win::COLORREF disabledText_;
    win::COLORREF previousFace_;
    win::CBrush faceBrush_;
};
