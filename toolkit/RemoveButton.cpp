#include "toolkit/RemoveButton.h"

#include "platform/ui/CDC.h"
#include "platform/ui/Colorref.h"

#include <algorithm>

using namespace win;

bool RemoveButton::OnKeyDown(UINT key, UINT, UINT) {
    if ((key != VK_RETURN && key != VK_SPACE) || GetParent() == nullptr) {
        return false;
    }
    GetParent()->SendMessage(
        WM_COMMAND,
        MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), static_cast<unsigned>(kKeyboardClicked)),
        ToLParam());
    return true;
}

void RemoveButton::DrawItem(const DRAWITEMSTRUCT& item) {
    CDC& dc = *item.pDC;
    const CRect r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;

    dc.FillSolidRect(r, GetSysColor(COLOR_BTNFACE));
    // Raised edges, sunken while pressed.
    const COLORREF light = pressed ? GetSysColor(COLOR_BTNSHADOW) : RGB(255, 255, 255);
    const COLORREF dark = pressed ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNSHADOW);
    dc.FillSolidRect(r.left, r.top, r.Width(), 1, light);
    dc.FillSolidRect(r.left, r.top, 1, r.Height(), light);
    dc.FillSolidRect(r.left, r.bottom - 1, r.Width(), 1, dark);
    dc.FillSolidRect(r.right - 1, r.top, 1, r.Height(), dark);

    // The cross, centred, a quarter of the smaller side in from each edge.
    const int side = std::min(r.Width(), r.Height());
    const int half = std::max(2, side / 4);
    const int shift = pressed ? 1 : 0;
    const int cx = r.left + r.Width() / 2 + shift;
    const int cy = r.top + r.Height() / 2 + shift;
    CPen pen(PS_SOLID, 2, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(192, 0, 0));
    CPen* old = dc.SelectObject(&pen);
    dc.MoveTo(cx - half, cy - half);
    dc.LineTo(cx + half + 1, cy + half + 1);
    dc.MoveTo(cx + half, cy - half);
    dc.LineTo(cx - half - 1, cy + half + 1);
    dc.SelectObject(old);
    if (item.itemState & ODS_FOCUS) {
        CRect focus(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);
        dc.DrawFocusRect(focus);
    }
}
