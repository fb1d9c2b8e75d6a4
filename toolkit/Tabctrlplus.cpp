#include "toolkit/Tabctrlplus.h"

#include "platform/ui/CDC.h"
#include "toolkit/ControlGeometry.h"

using namespace win;

void Tabctrlplus::Redraw() {
    if (IsWindow())
        Invalidate();
}

void Tabctrlplus::SetEmphasisTextColor(COLORREF colour) {
    emphasisText_ = colour;
    Redraw();
}

void Tabctrlplus::SetNormalTextColor(COLORREF colour) {
    normalText_ = colour;
    Redraw();
}

void Tabctrlplus::SetBackColor(COLORREF colour) {
    if (colour == CLR_NONE)
        background_.DeleteObject();
    else
        background_.CreateSolidBrush(colour);
    Redraw();
}

void Tabctrlplus::SetEmphasis(int tab, bool emphasised) {
    if (tab < 0 || tab >= kMaxTabs)
        return;
    emphasis_[static_cast<std::size_t>(tab)] = emphasised;
    Redraw();
}

bool Tabctrlplus::GetEmphasis(int tab) const {
    return tab >= 0 && tab < kMaxTabs && emphasis_[static_cast<std::size_t>(tab)];
}

bool Tabctrlplus::OnEraseBkgnd(CDC& dc) {
    if (!background_.IsValid())
        return true;
    CRect client;
    GetClientRect(&client);
    dc.FillRect(client, &background_);
    return true;
}

bool Tabctrlplus::OnPaint(CDC& dc) {
    if (background_.IsValid()) {
        CRect client;
        GetClientRect(&client);
        dc.FillRect(client, &background_);
    }
    dc.SetBkMode(TRANSPARENT);
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        CRect tab;
        if (!GetItemRect(i, &tab))
            continue;
        dc.FillSolidRect(tab, GetSysColor(COLOR_BTNFACE));
        const std::string text = GetItemText(i);
        const PixelRect t =
            TabTextRect({tab.left, tab.top, tab.right, tab.bottom}, dc.GetTextExtent(text).cy);
        CRect textRect(t.left, t.top, t.right, t.bottom);
        if (GetEmphasis(i)) {
            textRect.OffsetRect(1, 1);
            dc.SetTextColor(emphasisText_);
        } else {
            dc.SetTextColor(normalText_);
        }
        dc.DrawText(text, textRect, DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
    }
    return true;
}
