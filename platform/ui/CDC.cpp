#include "platform/ui/CDC.h"

#include "platform/ui/CImage.h"
#include "platform/ui/CMemoryDC.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace win {

namespace {

int QtTextFlags(UINT format) {
    int flags = 0;
    if (format & DT_CENTER) {
        flags |= Qt::AlignHCenter;
    } else if (format & DT_RIGHT) {
        flags |= Qt::AlignRight;
    } else {
        flags |= Qt::AlignLeft;
    }
    // Vertical placement only applies to single lines, as on Windows.
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) {
        flags |= Qt::AlignVCenter;
    } else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) {
        flags |= Qt::AlignBottom;
    } else {
        flags |= Qt::AlignTop;
    }
    if (format & DT_SINGLELINE) {
        flags |= Qt::TextSingleLine;
    } else if (format & DT_WORDBREAK) {
        flags |= Qt::TextWordWrap;
    }
    flags |= (format & DT_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
    return flags;
}

QString TextForFlags(const std::string& text, UINT format) {
    QString s = ToQString(text);
    if (format & DT_SINGLELINE) {
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return s;
}

} // namespace

CDC::CDC(const LOGFONT& font) : font_(font) {}

CDC::CDC(QPainter& painter, const LOGFONT& font) : painter_(&painter), font_(font) {}

CDC::CDC(QImage* image, const LOGFONT& font) : image_(image), font_(font) {}

CDC::~CDC() = default;

template <class F> void CDC::Paint(F&& draw) {
    if (painter_) {
        painter_->save();
        painter_->setRenderHint(QPainter::Antialiasing, false);
        draw(*painter_);
        painter_->restore();
    } else if (image_) {
        QPainter p(image_);
        draw(p);
    }
}

CPen* CDC::SelectObject(CPen* pen) {
    CPen* old = pen_;
    pen_ = pen;
    return old;
}

CBrush* CDC::SelectObject(CBrush* brush) {
    CBrush* old = brush_;
    brush_ = brush;
    return old;
}

CFont* CDC::SelectObject(CFont* font) {
    CFont* old = selectedFont_;
    selectedFont_ = font;
    if (font) {
        font_ = font->GetLogFont();
    }
    return old;
}

COLORREF CDC::SetTextColor(COLORREF colour) {
    return std::exchange(textColour_, colour);
}
COLORREF CDC::SetBkColor(COLORREF colour) {
    return std::exchange(bkColour_, colour);
}
int CDC::SetBkMode(int mode) {
    return std::exchange(bkMode_, mode);
}

void CDC::FillSolidRect(const CRect& rect, COLORREF colour) {
    bkColour_ = colour; // as the GDI call does, through the background colour
    Paint([&](QPainter& p) { p.fillRect(ToQRect(rect), ToQColor(colour)); });
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour) {
    FillSolidRect(CRect(x, y, x + cx, y + cy), colour);
}

void CDC::FillRect(const CRect& rect, const CBrush* brush) {
    if (!brush || brush->IsHollow()) {
        return;
    }
    Paint([&](QPainter& p) { p.fillRect(ToQRect(rect), ToQColor(brush->Colour())); });
}

void CDC::FrameInside(QPainter& p, int left, int top, int right, int bottom) const {
    const CPen& pen = pen_ ? *pen_ : defaultPen_;
    if (pen.Style() == PS_NULL || right <= left || bottom <= top) {
        return;
    }
    const QColor c = ToQColor(pen.Colour());
    const int w = std::min({pen.Width(), (right - left + 1) / 2, (bottom - top + 1) / 2});
    p.fillRect(QRect(left, top, right - left, w), c);
    p.fillRect(QRect(left, bottom - w, right - left, w), c);
    p.fillRect(QRect(left, top, w, bottom - top), c);
    p.fillRect(QRect(right - w, top, w, bottom - top), c);
}

void CDC::Rectangle(int left, int top, int right, int bottom) {
    Paint([&](QPainter& p) {
        const CBrush& brush = brush_ ? *brush_ : defaultBrush_;
        if (!brush.IsHollow() && right > left && bottom > top) {
            p.fillRect(QRect(left, top, right - left, bottom - top), ToQColor(brush.Colour()));
        }
        FrameInside(p, left, top, right, bottom);
    });
}

void CDC::Ellipse(int left, int top, int right, int bottom) {
    if (right - left < 1 || bottom - top < 1) {
        return;
    }
    Paint([&](QPainter& p) {
        const CBrush& brush = brush_ ? *brush_ : defaultBrush_;
        const CPen& pen = pen_ ? *pen_ : defaultPen_;
        p.setBrush(brush.IsHollow() ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.Colour())));
        if (pen.Style() == PS_NULL) {
            p.setPen(Qt::NoPen);
            p.drawEllipse(QRect(left, top, right - left, bottom - top));
            return;
        }
        QPen qpen(ToQColor(pen.Colour()));
        qpen.setWidth(pen.Width());
        p.setPen(qpen);
        const int inset = pen.Width() / 2;
        p.drawEllipse(QRect(left + inset, top + inset, right - left - 1 - 2 * inset,
                            bottom - top - 1 - 2 * inset));
    });
}

CPoint CDC::MoveTo(int x, int y) {
    return std::exchange(current_, CPoint(x, y));
}

void CDC::LineTo(int x, int y) {
    const CPoint from = current_;
    current_ = CPoint(x, y);
    const CPen& pen = pen_ ? *pen_ : defaultPen_;
    if (pen.Style() == PS_NULL) {
        return;
    }
    const int w = pen.Width();
    const QColor c = ToQColor(pen.Colour());
    Paint([&](QPainter& p) {
        if (from.y == y && from.x != x) {
            const int x0 = from.x < x ? from.x : x + 1;
            const int x1 = from.x < x ? x - 1 : from.x;
            p.fillRect(QRect(x0, y - w / 2, x1 - x0 + 1, w), c);
        } else if (from.x == x && from.y != y) {
            const int y0 = from.y < y ? from.y : y + 1;
            const int y1 = from.y < y ? y - 1 : from.y;
            p.fillRect(QRect(x - w / 2, y0, w, y1 - y0 + 1), c);
        } else if (from.x != x) {
            QPen qpen(c);
            qpen.setWidth(w);
            p.setPen(qpen);
            p.drawLine(from.x, from.y, x, y);
        }
    });
}

void CDC::DrawFocusRect(const CRect& rect) {
    // Every other pixel of the frame inverted, as the platform draws it.
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const QColor white(255, 255, 255);
        for (int x = rect.left; x < rect.right; x += 2) {
            p.fillRect(QRect(x, rect.top, 1, 1), white);
            p.fillRect(QRect(x, rect.bottom - 1, 1, 1), white);
        }
        for (int y = rect.top + 2; y < rect.bottom - 1; y += 2) {
            p.fillRect(QRect(rect.left, y, 1, 1), white);
            p.fillRect(QRect(rect.right - 1, y, 1, 1), white);
        }
    });
}

int CDC::DrawText(const std::string& text, CRect& rect, UINT format) {
    const QFont font = ToQFont(font_);
    const QFontMetrics fm(font);
    const QString s = TextForFlags(text, format);
    const int flags = QtTextFlags(format);
    if (format & DT_CALCRECT) {
        QRect r;
        if (format & DT_SINGLELINE) {
            r = QRect(0, 0, static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(s))),
                      fm.height());
        } else {
            r = fm.boundingRect(
                QRect(0, 0, (format & DT_WORDBREAK) ? rect.Width() : 100000, 100000), flags, s);
        }
        rect.right = rect.left + r.width();
        rect.bottom = rect.top + r.height();
        return r.height();
    }
    const QRect target = ToQRect(rect);
    int height = 0;
    Paint([&](QPainter& p) {
        p.setFont(font);
        if (!(format & DT_NOCLIP)) {
            p.setClipRect(target, Qt::IntersectClip);
        }
        const QRect bounds = p.boundingRect(target, flags, s);
        height = bounds.height();
        if (bkMode_ == OPAQUE) {
            p.fillRect(bounds, ToQColor(bkColour_));
        }
        p.setPen(ToQColor(textColour_));
        p.drawText(target, flags, s);
    });
    if (!painter_ && !image_) {
        height = fm.boundingRect(target, flags, s).height();
    }
    return height;
}

CSize CDC::GetTextExtent(const std::string& text) const {
    // Rounded up: a control sized to a width rounded down wraps its last word away.
    const QFontMetricsF fm(ToQFont(font_));
    return CSize(static_cast<int>(std::ceil(fm.horizontalAdvance(ToQString(text)))),
                 static_cast<int>(std::ceil(fm.height())));
}

void CDC::BitBlt(int x, int y, int cx, int cy, const CMemoryDC& source, int sx, int sy) {
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(x, y), source.Image(), QRect(sx, sy, cx, cy));
    });
}

void CDC::StretchImage(const CImage& image, const CRect& rect) {
    if (image.IsNull()) {
        return;
    }
    Paint([&](QPainter& p) {
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(ToQRect(rect), image.Image());
    });
}

CClientDC::CClientDC(const CWnd* wnd) : CDC(wnd ? wnd->GetFont() : DefaultGuiFont()) {}

} // namespace win
