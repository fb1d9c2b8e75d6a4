// Conversions between the window layer's values and Qt's (inside the layer only).
#pragma once

#include "platform/ui/Colorref.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/WinTypes.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <string>

namespace win {

inline QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}
inline COLORREF FromQColor(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}
inline QRect ToQRect(const CRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}
inline CRect FromQRect(const QRect& r) {
    return CRect(r.x(), r.y(), r.x() + r.width(), r.y() + r.height());
}
// Texts are 8-bit in the Windows-1252 code page, as the Windows program shows
// them: Latin-1 but for 0x80-0x9F, which hold typographic signs (0x85 the
// ellipsis). The five bytes Windows-1252 leaves unused stand for themselves,
// so every byte comes back unchanged.
inline constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline QString ToQString(const std::string& s) {
    QString text = QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
    for (QChar& c : text) {
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0) {
            c = QChar(kWindows1252High[c.unicode() - 0x80]);
        }
    }
    return text;
}
// Characters outside the code page become "?".
inline std::string FromQString(const QString& s) {
    std::string text;
    text.reserve(static_cast<std::size_t>(s.size()));
    for (QChar c : s) {
        const char16_t u = c.unicode();
        char byte = '?';
        if (u < 0x80 || (u >= 0xA0 && u < 0x100)) {
            byte = static_cast<char>(u);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kWindows1252High[i] == u) {
                    byte = static_cast<char>(0x80 + i);
                }
            }
        }
        text += byte;
    }
    return text;
}

QFont ToQFont(const LOGFONT& lf);

} // namespace win
