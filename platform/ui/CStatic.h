// CStatic: a static text or frame. The text is drawn in the colours of the
// colour answer (CTLCOLOR_STATIC) on its brush; SS_LEFT, SS_CENTER and SS_RIGHT
// wrap words, SS_LEFTNOWORDWRAP does not; SS_BLACKFRAME and SS_ETCHEDFRAME
// draw a hollow frame (no colour request, nothing filled). An owner-drawn static (a toolkit label)
// overrides OnPaint. With SS_NOTIFY a press of the left button posts
// WM_COMMAND (id, STN_CLICKED) to the parent, so what the click opens runs
// after the press has been handled. Such a static opens something, so it also
// takes the focus by Tab, shows it with a dotted frame, and answers Enter and
// Space as a click.
#pragma once

#include "platform/ui/CWnd.h"

namespace win {

class CStatic : public CWnd {
public:
    bool OnLButtonDown(UINT flags, CPoint point) override;
    bool OnKeyDown(UINT key, UINT repeat, UINT flags) override;

protected:
    QWidget* CreateNative(QWidget* parent) override;
    void SetNativeText(const std::string& text) override;
    void OnStyleChanged() override;
    UINT ColorRequestKind() const override;

private:
    void PostClicked();
};

} // namespace win
