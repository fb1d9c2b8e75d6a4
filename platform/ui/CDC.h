// CDC: the drawing surface handed to a control's OnPaint, a thin GDI-like
// wrapper around a QPainter with colours as COLORREF.
//
// Pixel rules (match GDI, aliased drawing throughout):
// - FillSolidRect / FillRect fill left..right-1, top..bottom-1.
// - Rectangle / Ellipse fill with the selected brush and outline with the
//   selected pen inside left..right-1, top..bottom-1 (a pen of width w draws a
//   w-pixel frame inside that rectangle).
// - MoveTo / LineTo draw from the current point up to, not including, the end
//   point; a horizontal or vertical line of width w covers w pixels across,
//   starting w/2 pixels before the line.
// - Text goes out in the selected font and text colour; with OPAQUE background
//   mode the text's cell is first filled with the background colour.
// A new CDC has a 1-pixel black pen, a white brush, black text on a white
// background in OPAQUE mode, and the font of the window it paints.
#pragma once

#include "platform/ui/Colorref.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/WinConstants.h"
#include "platform/ui/WinTypes.h"

#include <string>

class QPainter;
class QImage;

namespace win {

class CImage;
class CMemoryDC;
class CWnd;

class CDC {
public:
    // A CDC that only measures (drawing does nothing), in the given font.
    explicit CDC(const LOGFONT& font);
    // A CDC drawing through an active painter; the painter outlives the CDC.
    CDC(QPainter& painter, const LOGFONT& font);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Selection: the previous object is returned (nullptr for the initial
    // default); the caller keeps the selected object alive.
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    const LOGFONT& GetCurrentFont() const { return font_; }

    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return textColour_; }
    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return bkColour_; }
    int SetBkMode(int mode);

    void FillSolidRect(const CRect& rect, COLORREF colour);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF colour);
    void FillRect(const CRect& rect, const CBrush* brush);
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const CRect& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const CRect& rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
    CPoint MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Dotted focus frame inside the rectangle.
    void DrawFocusRect(const CRect& rect);

    // Draws text in the rectangle with DT_* format flags; with DT_CALCRECT it
    // only widens/heightens `rect` to the text. Returns the text height.
    int DrawText(const std::string& text, CRect& rect, UINT format);
    // Width of the text on one line and the font's line height.
    CSize GetTextExtent(const std::string& text) const;

    // Copies a block of an off-screen surface to (x, y).
    void BitBlt(int x, int y, int cx, int cy, const CMemoryDC& source, int sx, int sy);
    // Draws a picture stretched to the rectangle.
    void StretchImage(const CImage& image, const CRect& rect);

protected:
    // Memory surfaces paint their own image; see CMemoryDC.
    explicit CDC(QImage* image, const LOGFONT& font);

private:
    template <class F> void Paint(F&& draw);
    void FrameInside(QPainter& p, int left, int top, int right, int bottom) const;

    QPainter* painter_ = nullptr;
    QImage* image_ = nullptr;
    CPen defaultPen_{PS_SOLID, 1, RGB(0, 0, 0)};
    CBrush defaultBrush_{RGB(255, 255, 255)};
    CFont* selectedFont_ = nullptr;
    CPen* pen_ = nullptr;
    CBrush* brush_ = nullptr;
    LOGFONT font_;
    COLORREF textColour_ = RGB(0, 0, 0);
    COLORREF bkColour_ = RGB(255, 255, 255);
    int bkMode_ = OPAQUE;
    CPoint current_;
};

// A CDC for measuring in a window's font outside painting (drawing does nothing;
// windows repaint through Invalidate / RedrawWindow).
class CClientDC : public CDC {
public:
    explicit CClientDC(const CWnd* wnd);
};

} // namespace win
