// CSliderCtrl: a horizontal slider with a range and a position. Moves made by
// the operator through the platform slider send WM_HSCROLL (code and position
// in the first parameter, the slider in the second) to the parent. A slider
// that draws and handles input itself overrides OnPaint and the mouse and key
// handlers (then it sends or posts the scroll messages itself).
#pragma once

#include "platform/ui/CWnd.h"

namespace win {

class CSliderCtrl : public CWnd {
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, int id) {
        return CWnd::Create("", style, rect, parent, id);
    }
    void SetRange(int minimum, int maximum, bool redraw = false);
    int GetRangeMin() const { return min_; }
    int GetRangeMax() const { return max_; }
    // Sets the position clamped to the range.
    void SetPos(int position);
    int GetPos() const { return pos_; }

protected:
    QWidget* CreateNative(QWidget* parent) override;
    void PreSubclassWindow() override;

private:
    void PushToNative();
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
};

} // namespace win
