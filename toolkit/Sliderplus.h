#pragma once

// Sliderplus: a horizontal slider that draws its own scale (10 long and 9 short
// ticks) and a red thumb outline, follows the mouse and the arrow keys, and
// tells its parent about every move by posted messages:
// - WM_HSCROLL, code in the low word of the first parameter (SB_LINELEFT 0 and
//   SB_LINERIGHT 1 for arrow keys, SB_THUMBTRACK 5 while dragging,
//   SB_THUMBPOSITION 4 at the end of a drag), the position in its high word,
//   the slider (CWnd::ToLParam) as second parameter;
// - SliderValueSet when a move is finished (mouse released, arrow key, wheel
//   notch): the slider's id as first parameter, its position as second.
// The wheel steps as the arrow keys do, one step a notch: turned away from
// the user as Up, towards the user as Down. The middle and right buttons do
// nothing; no input reaches the platform slider, so every move ends with
// SliderValueSet. Disabling it greys it and makes it ignore the mouse, the
// wheel and the keys; the window itself stays enabled. A drag that loses the
// mouse (a modal box opens over it, the slider is hidden) ends where the
// thumb is, as a release there would.

#include "platform/ui/CSliderCtrl.h"
#include "platform/ui/Colorref.h"
#include "platform/ui/Gdi.h"
#include "toolkit/SliderGeometry.h"
#include "toolkit/Tplus.h"

inline constexpr win::UINT SliderValueSet = 0x662;

class Sliderplus : public win::CSliderCtrl, public Tplus {
public:
    Sliderplus();

    // A window shown, hidden and disabled together with the slider (or nullptr).
    void SetCompanion(Tplus* companion) { companion_ = companion; }

    void Show(bool show) override;
    void SetDisabled(bool disabled) override;
    bool IsEnabledState() const { return enabled_; }

    // Sets the position for a point in client pixels (clamped to the range),
    // redraws and marks the slider changed.
    void SetPositionFromPoint(win::CPoint point);
    bool IsChanged() const { return changed_; }
    void ClearChanged() { changed_ = false; }
    bool IsDragging() const { return dragging_; }

    // The scale for the current client width and range.
    SliderScale CurrentScale() const;
    // The thumb as last painted.
    const SliderThumb& LastThumb() const { return thumb_; }

    bool OnEraseBkgnd(win::CDC& dc) override;
    bool OnPaint(win::CDC& dc) override;
    bool OnLButtonDown(win::UINT flags, win::CPoint point) override;
    bool OnLButtonUp(win::UINT flags, win::CPoint point) override;
    bool OnLButtonDblClk(win::UINT flags, win::CPoint point) override;
    bool OnMouseMove(win::UINT flags, win::CPoint point) override;
    bool OnMButtonDown(win::UINT flags, win::CPoint point) override;
    bool OnMButtonUp(win::UINT flags, win::CPoint point) override;
    bool OnRButtonDown(win::UINT flags, win::CPoint point) override;
    bool OnRButtonUp(win::UINT flags, win::CPoint point) override;
    bool OnMouseWheel(win::UINT flags, short delta, win::CPoint point) override;
    bool OnKeyDown(win::UINT key, win::UINT repeat, win::UINT flags) override;
    void OnCaptureChanged() override;
    const win::CBrush* CtlColor(win::CDC& dc, win::UINT kind) override;

private:
    void PostScroll(int code);
    void PostValueSet();
    void Redraw();
    // One step down (lower) or up, as an arrow key makes it: nothing at the
    // end of the range, else the new position, a scroll and SliderValueSet.
    void Step(bool lower);
    // The end of a drag: the final position's messages.
    void EndDrag();

    bool dragging_ = false;
    int wheelTurn_ = 0; // the part of a notch turned so far
    bool changed_ = false;
    SliderThumb thumb_;
    win::COLORREF disabledBack_ = win::RGB(128, 128, 128);
    win::CBrush blackBrush_;
    win::CPen thumbPen_;
    Tplus* companion_ = nullptr;
};
