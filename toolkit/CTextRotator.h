#pragma once

// CTextRotator: draws the lines of a text into an off-screen image, turns the
// image by 0, 90, 180 or 270 degrees clockwise and copies it into a rectangle
// of the target surface at an alignment. One rotator serves one paint.

#include "platform/ui/CDC.h"
#include "platform/ui/Colorref.h"
#include "platform/ui/WinTypes.h"
#include "toolkit/LabelLayout.h"

#include <string>
#include <vector>

class CTextRotator {
public:
    // `target` must have the label's font selected. Alignments: 0 left/top,
    // 1 centre/middle, 2 right/bottom.
    CTextRotator(win::CDC& target, const std::string& text, int horizontal, int vertical, int angle,
                 bool disabled, win::COLORREF background = win::GetSysColor(win::COLOR_BTNFACE),
                 win::COLORREF textColour = win::GetSysColor(win::COLOR_WINDOWTEXT));
    virtual ~CTextRotator() = default;
    CTextRotator(const CTextRotator&) = delete;
    CTextRotator& operator=(const CTextRotator&) = delete;

    // Draws the turned text into `rect` of the target; returns where it went
    // (an empty box for a text without lines).
    LabelBox Draw(const win::CRect& rect);

    // Size of the unturned block: widest line by tallest line times lines.
    int LineWidth() const { return lineWidth_; }
    int LineHeight() const { return lineHeight_; }
    int LineCount() const { return static_cast<int>(lines_.size()); }

private:
    void DrawLine(win::CDC& dc, const std::string& line, int band) const;

    win::CDC& target_;
    std::vector<std::string> lines_;
    LabelAlignment align_;
    int angle_;
    bool disabled_;
    win::COLORREF background_;
    win::COLORREF textColour_;
    int lineWidth_ = 0;
    int lineHeight_ = 0;
};
