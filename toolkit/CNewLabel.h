#pragma once

// CNewLabel: a static control that paints itself completely: its background
// colour, then its text in its own font and colour, turned by 0, 90, 180 or 270
// degrees (clockwise) and placed by its alignment flags (LabelAlignFlags). A
// disabled label shows embossed text.
//
//   label.SetLabelText("OUTPUT 1");
//   StyleLabel(label, background, RGB(255, 255, 255), 270, kLabelBottom); // reads upwards

#include "platform/ui/CStatic.h"
#include "platform/ui/Colorref.h"
#include "platform/ui/Gdi.h"
#include "toolkit/LabelLayout.h"

#include <string>

class CNewLabel : public win::CStatic {
public:
    CNewLabel();

    void SetBkColor(win::COLORREF colour);
    void SetTextColor(win::COLORREF colour);
    void SetFontName(const std::string& face);
    // Font height in pixels: positive the cell height, negative the
    // character height.
    void SetFontSize(int height);
    void SetFontBold(bool bold);
    void SetAngle(int angle);
    // A horizontal bit (1 before 2 before 4) replaces the alignment and sets the
    // platform text style to match; the vertical bit (32 before 16 before 8) is
    // then added.
    void SetAlignment(int flags);
    // Stores the text that the label draws and gives it to the window (one
    // character per line in column mode).
    void SetLabelText(const std::string& text);
    // Column mode: one character per line.
    void SetColumnText();

    win::COLORREF GetBkColor() const { return background_; }
    win::COLORREF GetTextColor() const { return textColour_; }
    const win::LOGFONT& GetLabelFont() const { return logFont_; }
    int GetAngle() const { return angle_; }
    int GetAlignment() const { return alignment_; }
    bool IsColumnMode() const { return column_; }
    const std::string& GetLabelText() const { return text_; }

    bool OnEraseBkgnd(win::CDC& dc) override;
    bool OnPaint(win::CDC& dc) override;

protected:
    // The template's text is the first text the label draws.
    void PreSubclassWindow() override;

private:
    void Remake();

    win::COLORREF background_;
    win::COLORREF textColour_;
    win::CBrush brush_;
    win::LOGFONT logFont_;
    win::CFont font_;
    std::string text_;
    bool textSet_ = false;
    bool column_ = false;
    int angle_ = 0;
    int alignment_ = 9;
};

// Sets up a label in one step: "Segoe UI" 1.5 text units high, background and
// text colours, angle and alignment flags.
void StyleLabel(CNewLabel& label, win::COLORREF background, win::COLORREF text, int angle,
                int alignment);
