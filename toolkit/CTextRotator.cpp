#include "toolkit/CTextRotator.h"

#include "platform/ui/CMemoryDC.h"

#include <algorithm>

using namespace win;

CTextRotator::CTextRotator(CDC& target, const std::string& text, int horizontal, int vertical,
                           int angle, bool disabled, COLORREF background, COLORREF textColour)
    : target_(target), lines_(LabelLines(text)), align_{horizontal, vertical},
      angle_(LabelNormalAngle(angle)), disabled_(disabled), background_(background),
      textColour_(textColour) {
    for (const std::string& line : lines_) {
        const CSize extent = target_.GetTextExtent(line);
        lineWidth_ = std::max(lineWidth_, extent.cx);
        lineHeight_ = std::max(lineHeight_, extent.cy);
    }
}

void CTextRotator::DrawLine(CDC& dc, const std::string& line, int band) const {
    static constexpr UINT kHorizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    const UINT format = kHorizontal[std::clamp(align_.horizontal, 0, 2)] | DT_VCENTER |
                        DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
    const int top = band * lineHeight_;
    if (disabled_) {
        // Embossed: a light copy one pixel down and right under a shadow copy.
        CRect light(1, top + 1, lineWidth_ + 1, top + lineHeight_ + 1);
        dc.SetTextColor(GetSysColor(COLOR_BTNHIGHLIGHT));
        dc.DrawText(line, light, format);
        CRect shadow(0, top, lineWidth_, top + lineHeight_);
        dc.SetTextColor(GetSysColor(COLOR_BTNSHADOW));
        dc.DrawText(line, shadow, format);
    } else {
        CRect band_rect(0, top, lineWidth_, top + lineHeight_);
        dc.SetTextColor(textColour_);
        dc.DrawText(line, band_rect, format);
    }
}

LabelBox CTextRotator::Draw(const CRect& rect) {
    if (lines_.empty() || lineWidth_ <= 0 || lineHeight_ <= 0) {
        return {};
    }
    const int blockHeight = lineHeight_ * LineCount();

    // The text block unturned, then turned onto a square that holds either way.
    CMemoryDC flat(lineWidth_, blockHeight, target_.GetCurrentFont());
    flat.FillSolidRect(0, 0, lineWidth_, blockHeight, background_);
    flat.SetBkMode(TRANSPARENT);
    for (int i = 0; i < LineCount(); ++i) {
        DrawLine(flat, lines_[static_cast<std::size_t>(i)], i);
    }

    const int side = std::max(lineWidth_, blockHeight);
    CMemoryDC turned(side, side, target_.GetCurrentFont());
    turned.FillSolidRect(0, 0, side, side, background_);
    turned.CopyTurned(flat, angle_);

    const LabelBox size = LabelTurnedSize(lineWidth_, blockHeight, angle_);
    LabelBox place = LabelPlace(size.width, size.height, rect.Width(), rect.Height(), align_);
    place.x += rect.left;
    place.y += rect.top;
    target_.BitBlt(place.x, place.y, place.width, place.height, turned, 0, 0);
    return place;
}
