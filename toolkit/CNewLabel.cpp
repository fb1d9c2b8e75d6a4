#include "toolkit/CNewLabel.h"

#include "platform/ui/CDC.h"
#include "toolkit/CTextRotator.h"
#include "toolkit/LabelLayout.h"
#include "toolkit/TextUnit.h"

using namespace win;

CNewLabel::CNewLabel()
    : background_(GetSysColor(COLOR_BTNFACE)), textColour_(GetSysColor(COLOR_WINDOWTEXT)),
      brush_(background_), logFont_(DefaultGuiFont()), font_(logFont_) {}

void CNewLabel::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    // A text set before the window existed wins over the template's.
    if (textSet_) {
        SetWindowText(column_ ? LabelColumnText(text_) : text_);
    } else {
        text_ = GetWindowText();
    }
}

void CNewLabel::Remake() {
    if (IsWindow()) {
        RedrawWindow();
    }
}

void CNewLabel::SetBkColor(COLORREF colour) {
    background_ = colour;
    brush_.CreateSolidBrush(colour);
    Remake();
}

void CNewLabel::SetTextColor(COLORREF colour) {
    textColour_ = colour;
    Remake();
}

void CNewLabel::SetFontName(const std::string& face) {
    logFont_.SetFaceName(face);
    font_.CreateFontIndirect(logFont_);
    Remake();
}

void CNewLabel::SetFontSize(int height) {
    logFont_.lfHeight = height;
    font_.CreateFontIndirect(logFont_);
    Remake();
}

void CNewLabel::SetFontBold(bool bold) {
    logFont_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font_.CreateFontIndirect(logFont_);
    Remake();
}

void CNewLabel::SetAngle(int angle) {
    angle_ = angle;
    Remake();
}

void CNewLabel::SetAlignment(int flags) {
    alignment_ = LabelApplyAlignment(alignment_, flags);
    if (flags & (kLabelLeft | kLabelCentre | kLabelRight)) {
        const DWORD style = (alignment_ & kLabelLeft)     ? SS_LEFT
                            : (alignment_ & kLabelCentre) ? SS_CENTER
                                                          : SS_RIGHT;
        if (IsWindow()) {
            ModifyStyle(SS_TYPEMASK, style);
        }
    }
    Remake();
}

void CNewLabel::SetLabelText(const std::string& text) {
    text_ = text;
    textSet_ = true;
    if (IsWindow()) {
        SetWindowText(column_ ? LabelColumnText(text) : text);
    }
    Remake();
}

void CNewLabel::SetColumnText() {
    column_ = true;
    Remake();
}

bool CNewLabel::OnEraseBkgnd(CDC& dc) {
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(client, background_);
    return true;
}

bool CNewLabel::OnPaint(CDC& dc) {
    const std::string text = column_ ? LabelColumnText(text_) : text_;
    const LabelAlignment align = LabelDrawAlignment(alignment_);

    CRect client;
    GetClientRect(&client);
    dc.SelectObject(&font_);
    dc.SetBkMode(TRANSPARENT);
    dc.FillSolidRect(client, background_);

    CTextRotator rotator(dc, text, align.horizontal, align.vertical, angle_, !IsWindowEnabled(),
                         background_, textColour_);
    rotator.Draw(client);
    return true;
}

void StyleLabel(CNewLabel& label, COLORREF background, COLORREF text, int angle, int alignment) {
    label.SetFontName("Segoe UI");
    label.SetFontSize(TextUnit() * 3 / 2);
    label.SetBkColor(background);
    label.SetTextColor(text);
    label.SetAngle(angle);
    label.SetAlignment(alignment);
}
