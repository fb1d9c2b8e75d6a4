#include "toolkit/Tabctrlplus.h"

#include <algorithm>

#include "platform/ui/CDC.h"
#include "platform/ui/CImageList.h"
#include "toolkit/ControlGeometry.h"

using namespace win;

namespace {
constexpr int kImageGap = 2; // between a tab's image and its text
} // namespace

void Tabctrlplus::Redraw() {
    if (IsWindow()) {
        Invalidate();
    }
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
    if (colour == CLR_NONE) {
        background_.DeleteObject();
    } else {
        background_.CreateSolidBrush(colour);
    }
    Redraw();
}

void Tabctrlplus::SetEmphasis(int tab, bool emphasised) {
    if (tab < 0 || tab >= kMaxTabs) {
        return;
    }
    emphasis_[static_cast<std::size_t>(tab)] = emphasised;
    Redraw();
}

bool Tabctrlplus::GetEmphasis(int tab) const {
    return tab >= 0 && tab < kMaxTabs && emphasis_[static_cast<std::size_t>(tab)];
}

bool Tabctrlplus::OnEraseBkgnd(CDC& dc) {
    if (!background_.IsValid()) {
        return true;
    }
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
    CRect visible;
    GetClientRect(&visible);
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        CRect item;
        if (!GetItemRect(i, &item)) {
            continue;
        }
        // Tabs sized for their images may be taller than the strip: keep the text inside.
        item.bottom = std::min(item.bottom, visible.bottom);
        const PixelRect tab{item.left, item.top, item.right, item.bottom};
        // The platform's button edge: sunken for the selected tab, raised otherwise.
        const PixelRect b = TabButtonRect(tab);
        const bool selected = i == GetCurSel();
        const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
        const COLORREF dark = GetSysColor(COLOR_BTNSHADOW);
        dc.FillSolidRect(CRect(b.left, b.top, b.right, b.bottom), selected ? light : dark);
        dc.FillSolidRect(CRect(b.left, b.top, b.right - 2, b.bottom - 2), selected ? dark : light);

        // The tab itself: face, then its text left-aligned at the bottom.
        const PixelRect f = TabFaceRect(tab);
        dc.FillSolidRect(CRect(f.left, f.top, f.right, f.bottom), GetSysColor(COLOR_BTNFACE));
        // The tab's image at the left of the face, its text after it.
        PixelRect textArea = f;
        const CImage image =
            GetImageList() != nullptr ? GetImageList()->GetImage(GetItemImage(i)) : CImage();
        if (!image.IsNull()) {
            const PixelRect place = TabImageRect(f, image.Width(), image.Height());
            dc.StretchImage(image, CRect(place.left, place.top, place.right, place.bottom));
            textArea.left = place.right + kImageGap;
        }
        const std::string text = GetItemText(i);
        const PixelRect t = TabTextRect(textArea, dc.GetTextExtent(text).cy);
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
