// Tplus: the interface by which a dialog's base (Dlgplus) and the dialogs talk
// to any toolkit control, whatever platform control it is built on.
//
// A toolkit control derives from a platform control class and from Tplus:
//   class Staticplus : public win::CStatic, public Tplus { ... };
// It paints itself by overriding the platform control's OnPaint(win::CDC&)
// (return true when it drew everything; see platform/ui/CWnd.h for the CDC
// pixel rules) or, for owner-drawn push buttons, CButton::DrawItem. Mouse,
// key and timer events arrive at the CWnd handlers OnLButtonDown,
// OnLButtonUp, OnMouseMove, OnKeyDown (return true when handled) and
// OnTimer(id). Colours are COLORREF (0x00BBGGRR) throughout.
//
// Dlgplus finds the Tplus part of an enrolled control with dynamic_cast from
// its CWnd. When it applies the colour scheme it calls the colour hooks below;
// a control overrides the ones it has colours for (the defaults ignore them).
#pragma once

#include "platform/ui/Colorref.h"
#include "toolkit/ControlEntry.h"

class Tplus {
public:
    // Type of a control that is not enrolled in a control table.
    static constexpr ControlType kNotEnrolled{20};

    Tplus() = default;
    virtual ~Tplus() = default;
    Tplus(const Tplus&) = delete;
    Tplus& operator=(const Tplus&) = delete;

    // Show or hide the control (and its companion window where it has one).
    virtual void Show(bool show) { (void)show; }
    virtual void SetDisabled(bool disabled) { (void)disabled; }
    // False unless the control keeps an enabled state of its own.
    virtual bool IsDisabled() const { return false; }
    // Type and table index given by the dialog's control table.
    virtual void SetEnrolment(ControlType type, int index) {
        type_ = type;
        tableIndex_ = index;
    }

    // Colour hooks used by Dlgplus::ApplyScheme.
    virtual void SetBackColor(win::COLORREF colour) { (void)colour; }
    virtual void SetTextColor(win::COLORREF colour) { (void)colour; }
    virtual void SetDisabledTextColor(win::COLORREF colour) { (void)colour; }
    virtual void SetButtonColors(win::COLORREF face, win::COLORREF highlight, win::COLORREF shadow,
                                 win::COLORREF text, win::COLORREF disabledText) {
        (void)face, (void)highlight, (void)shadow, (void)text, (void)disabledText;
    }
    virtual void SetButtonFace(win::COLORREF colour) { (void)colour; }
    // The "first" and "second" colour of controls that have two (TwoColour, DimSecond).
    virtual void SetFirstColor(win::COLORREF colour) { (void)colour; }
    virtual void SetSecondColor(win::COLORREF colour) { (void)colour; }

    ControlType GetType() const { return type_; }
    int GetTableIndex() const { return tableIndex_; }

protected:
    ControlType type_ = kNotEnrolled;
    int tableIndex_ = -1;
    bool enabled_ = true;
};
