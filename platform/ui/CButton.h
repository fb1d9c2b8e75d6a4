// CButton: push button, check box, radio button or group box, by its BS_* kind.
//
// A click sends WM_COMMAND (id, BN_CLICKED) to the parent. Auto radio buttons
// form groups as on Windows: from a WS_GROUP button up to the next window with
// WS_GROUP among the parent's children; clicking one clears the others.
// Owner-drawn push buttons (BS_OWNERDRAW, also set later with ModifyStyle or
// SetButtonStyle) are painted by DrawItem; check and radio buttons take their
// colours from the colour answer (CTLCOLOR_STATIC). Group boxes draw an etched
// frame and their caption and leave their inside to the window behind.
#pragma once

#include "platform/ui/CWnd.h"

namespace win {

struct DRAWITEMSTRUCT {
    int CtlID = 0;
    UINT itemState = 0; // ODS_SELECTED (pressed), ODS_FOCUS, ODS_DISABLED
    CDC* pDC = nullptr;
    CRect rcItem;
    CWnd* hwndItem = nullptr;
};

class CButton : public CWnd {
public:
    int GetCheck() const;
    void SetCheck(int check);
    UINT GetButtonStyle() const { return GetStyle() & BS_TYPEMASK; }
    void SetButtonStyle(UINT style, bool redraw = true);
    bool IsPressed() const; // held down by mouse or space bar
    // Paints an owner-drawn button; the base draws nothing.
    virtual void DrawItem(const DRAWITEMSTRUCT& item);
    // Clicks the button as the operator would.
    void Click();

    bool OnPaint(CDC& dc) override;

protected:
    QWidget* CreateNative(QWidget* parent) override;
    void PreSubclassWindow() override;
    void SetNativeText(const std::string& text) override;
    void OnStyleChanged() override;
    UINT ColorRequestKind() const override;
    // The operator clicked: the base sends BN_CLICKED to the parent.
    virtual void OnClicked();

private:
    void ClearGroupSiblings();
    void PaintGroupBox(CDC& dc);
};

} // namespace win
