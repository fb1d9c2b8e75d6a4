// Drawing objects of the window layer: font description, font, pen and brush.
//
// These are plain values (a colour, a width, a face name); a CDC turns them into
// Qt objects when they are selected. Their owner keeps them alive while a CDC
// has them selected, as with GDI objects.
#pragma once

#include "platform/ui/Colorref.h"

#include <array>
#include <string>

namespace win {

// Font weights.
inline constexpr int FW_NORMAL = 400;
inline constexpr int FW_BOLD = 700;

// The font description record. lfHeight is in pixels: negative gives the
// character height, positive the cell height (ascent plus descent, so the
// letters come out smaller), 0 a default height.
struct LOGFONT {
    int lfHeight = 0;
    int lfWidth = 0;
    int lfEscapement = 0;
    int lfOrientation = 0;
    int lfWeight = FW_NORMAL;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::array<char, 32> lfFaceName{}; // NUL-terminated, at most 31 characters

    std::string FaceName() const;
    void SetFaceName(const std::string& face); // cut to 31 characters
};

// The platform's default GUI font ("Segoe UI", 9 points at 96 dpi).
LOGFONT DefaultGuiFont();
// A font of `points` points at 96 dpi, as the dialog templates give it.
LOGFONT FontFromPoints(const std::string& face, int points);

class CFont {
public:
    CFont() = default;
    explicit CFont(const LOGFONT& lf) : lf_(lf), valid_(true) {}
    bool CreateFontIndirect(const LOGFONT& lf);
    void DeleteObject() { valid_ = false; }
    bool IsValid() const { return valid_; }
    const LOGFONT& GetLogFont() const { return lf_; }

private:
    LOGFONT lf_ = DefaultGuiFont();
    bool valid_ = false;
};

// Pen styles (only solid lines are drawn; PS_NULL draws nothing).
inline constexpr int PS_SOLID = 0;
inline constexpr int PS_NULL = 5;

class CPen {
public:
    CPen() = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    bool CreatePen(int style, int width, COLORREF colour);
    void DeleteObject() { valid_ = false; }
    bool IsValid() const { return valid_; }
    int Style() const { return style_; }
    int Width() const { return width_; }
    COLORREF Colour() const { return colour_; }

private:
    int style_ = PS_SOLID;
    int width_ = 1;
    COLORREF colour_ = RGB(0, 0, 0);
    bool valid_ = false;
};

class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    bool CreateSolidBrush(COLORREF colour);
    // A brush that fills nothing (the stock hollow brush).
    static CBrush Hollow();
    void DeleteObject() { valid_ = false; }
    bool IsValid() const { return valid_; }
    bool IsHollow() const { return hollow_; }
    COLORREF Colour() const { return colour_; }

private:
    COLORREF colour_ = RGB(255, 255, 255);
    bool valid_ = false;
    bool hollow_ = false;
};

} // namespace win
