#include "toolkit/Sliderplus.h"

#include "platform/ui/CDC.h"

using namespace win;

Sliderplus::Sliderplus() : blackBrush_(RGB(0, 0, 0)), thumbPen_(PS_SOLID, 1, RGB(255, 0, 0)) {}

void Sliderplus::Redraw() {
    if (IsWindow()) {
        Invalidate();
    }
}

void Sliderplus::Show(bool show) {
    ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (companion_ != nullptr) {
        companion_->Show(show);
    }
}

void Sliderplus::SetDisabled(bool disabled) {
    enabled_ = !disabled;
    if (companion_ != nullptr) {
        companion_->SetDisabled(disabled);
    }
    Redraw();
}

SliderScale Sliderplus::CurrentScale() const {
    CRect client;
    GetClientRect(&client);
    return MakeSliderScale(client.Width(), GetRangeMin(), GetRangeMax());
}

void Sliderplus::SetPositionFromPoint(CPoint point) {
    SetPos(SliderPositionFromX(CurrentScale(), point.x));
    Redraw();
    changed_ = true;
}

void Sliderplus::PostScroll(int code) {
    CWnd* parent = GetParent();
    if (parent == nullptr) {
        return;
    }
    // The position travels in 16 bits, as on Windows: receivers read it signed.
    const unsigned position = static_cast<unsigned>(GetPos()) & 0xFFFF;
    parent->PostMessage(WM_HSCROLL, MAKEWPARAM(static_cast<unsigned>(code), position), ToLParam());
}

void Sliderplus::PostValueSet() {
    CWnd* parent = GetParent();
    if (parent == nullptr) {
        return;
    }
    parent->PostMessage(SliderValueSet, static_cast<WPARAM>(GetDlgCtrlID()),
                        static_cast<LPARAM>(GetPos()));
}

bool Sliderplus::OnEraseBkgnd(CDC& dc) {
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(client, RGB(255, 255, 255));
    return true;
}

bool Sliderplus::OnPaint(CDC& dc) {
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(r, enabled_ ? RGB(255, 255, 255) : disabledBack_);

    // Default black pen: the right border line and the scale.
    dc.MoveTo(r.right - 1, r.top);
    dc.LineTo(r.right - 1, r.bottom);
    const SliderTicks ticks = SliderTicksFor(r.left, r.top, r.right, r.bottom);
    for (int x : ticks.longX) {
        dc.MoveTo(x, ticks.longTop);
        dc.LineTo(x, ticks.longBottom);
    }
    for (int x : ticks.shortX) {
        dc.MoveTo(x, ticks.shortTop);
        dc.LineTo(x, ticks.shortBottom);
    }

    const SliderScale scale = MakeSliderScale(r.Width(), GetRangeMin(), GetRangeMax());
    thumb_ = SliderThumbFor(scale, GetPos(), r.left, r.top, r.right, r.bottom);
    CPen* old = dc.SelectObject(&thumbPen_);
    // Lines stop short of their end point, so each edge runs one pixel further.
    dc.MoveTo(thumb_.left, thumb_.top);
    dc.LineTo(thumb_.left, thumb_.bottom + 1);
    dc.MoveTo(thumb_.left, thumb_.top);
    dc.LineTo(thumb_.topEdgeEnd + 1, thumb_.top);
    dc.MoveTo(thumb_.left, thumb_.bottom);
    dc.LineTo(thumb_.topEdgeEnd + 1, thumb_.bottom);
    if (thumb_.rightSide) {
        dc.MoveTo(thumb_.right, thumb_.top);
        dc.LineTo(thumb_.right, thumb_.bottom + 1);
    }
    dc.SelectObject(old);
    // The arrow keys move this slider: a dotted frame round it says so.
    if (GetFocus() == this) {
        dc.DrawFocusRect(r);
    }
    return true;
}

bool Sliderplus::OnLButtonDown(UINT /*flags*/, CPoint point) {
    if (!enabled_ || dragging_) {
        return true;
    }
    dragging_ = true;
    SetCapture();
    SetFocus();
    SetPositionFromPoint(point);
    PostScroll(SB_THUMBTRACK);
    Redraw();
    return true;
}

bool Sliderplus::OnMouseMove(UINT /*flags*/, CPoint point) {
    if (!dragging_) {
        return true;
    }
    SetPositionFromPoint(point);
    PostScroll(SB_THUMBTRACK);
    Redraw();
    return true;
}

bool Sliderplus::OnLButtonUp(UINT /*flags*/, CPoint point) {
    if (!dragging_) {
        return true;
    }
    dragging_ = false;
    ReleaseCapture();
    SetPositionFromPoint(point);
    EndDrag();
    return true;
}

void Sliderplus::OnCaptureChanged() {
    if (!dragging_) {
        return; // its own release
    }
    dragging_ = false;
    EndDrag();
}

void Sliderplus::EndDrag() {
    PostScroll(SB_THUMBTRACK);
    PostValueSet();
    PostScroll(SB_THUMBPOSITION);
    Redraw();
}

bool Sliderplus::OnLButtonDblClk(UINT /*flags*/, CPoint /*point*/) {
    return true;
}

// The platform slider would move itself on these; they do nothing here.
bool Sliderplus::OnMButtonDown(UINT /*flags*/, CPoint /*point*/) {
    return true;
}
bool Sliderplus::OnMButtonUp(UINT /*flags*/, CPoint /*point*/) {
    return true;
}
bool Sliderplus::OnRButtonDown(UINT /*flags*/, CPoint /*point*/) {
    return true;
}
bool Sliderplus::OnRButtonUp(UINT /*flags*/, CPoint /*point*/) {
    return true;
}

bool Sliderplus::OnMouseWheel(UINT /*flags*/, short delta, CPoint /*point*/) {
    if (!enabled_ || dragging_) {
        wheelTurn_ = 0;
        return true;
    }
    // Fine-grained wheels turn a notch in several parts.
    wheelTurn_ += delta;
    while (wheelTurn_ >= WHEEL_DELTA || wheelTurn_ <= -WHEEL_DELTA) {
        const bool away = wheelTurn_ > 0;
        wheelTurn_ += away ? -WHEEL_DELTA : WHEEL_DELTA;
        Step(away);
    }
    return true;
}

void Sliderplus::Step(bool lower) {
    const int pos = GetPos();
    if (lower ? pos <= GetRangeMin() : pos >= GetRangeMax()) {
        return;
    }
    SetPos(lower ? pos - 1 : pos + 1);
    Redraw();
    PostScroll(lower ? SB_LINELEFT : SB_LINERIGHT);
    PostValueSet();
}

bool Sliderplus::OnKeyDown(UINT key, UINT /*repeat*/, UINT /*flags*/) {
    switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (enabled_) {
            Step(key == VK_LEFT || key == VK_UP);
        }
        return true;
    default:
        return false;
    }
}

const CBrush* Sliderplus::CtlColor(CDC& /*dc*/, UINT /*kind*/) {
    return &blackBrush_;
}
