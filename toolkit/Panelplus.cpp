#include "toolkit/Panelplus.h"

#include "platform/ui/CDC.h"

using namespace win;

void Panelplus::Show(bool show) {
    ShowWindow(show ? SW_SHOW : SW_HIDE);
}

bool Panelplus::OnEraseBkgnd(CDC& /*dc*/) {
    return true;
}

bool Panelplus::OnPaint(CDC& dc) {
    CRect r;
    GetClientRect(&r);
    const DWORD kind = GetStyle() & SS_TYPEMASK;
    CBrush none = CBrush::Hollow();
    dc.SelectObject(&none);
    if (kind == SS_BLACKFRAME) {
        CPen black(PS_SOLID, 1, RGB(0, 0, 0));
        dc.SelectObject(&black);
        dc.Rectangle(r);
        dc.SelectObject(static_cast<CPen*>(nullptr));
    } else if (kind == SS_ETCHEDFRAME) {
        // A shadow line with a highlight line one pixel inside it.
        CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        dc.SelectObject(&light);
        dc.Rectangle(r.left + 1, r.top + 1, r.right, r.bottom);
        dc.SelectObject(&shadow);
        dc.Rectangle(r.left, r.top, r.right - 1, r.bottom - 1);
        dc.SelectObject(static_cast<CPen*>(nullptr));
    }
    dc.SelectObject(static_cast<CBrush*>(nullptr));
    return true;
}
