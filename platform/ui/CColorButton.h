// CColorButton: a button showing a colour; a click opens the colour picker
// (CommonDialogs::ChooseColor) with the current colour, and a colour picked
// there becomes the button's colour and sends WM_COMMAND (id, BN_CLICKED).
#pragma once

#include "platform/ui/CButton.h"

namespace win {

class CColorButton : public CButton {
public:
    COLORREF GetColor() const { return colour_; }
    void SetColor(COLORREF colour);
    bool OnPaint(CDC& dc) override;

protected:
    void PreSubclassWindow() override;
    void OnClicked() override;

private:
    void Pick();
    COLORREF colour_ = RGB(0, 0, 0);
};

} // namespace win
