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
// Texts are 8-bit; Latin-1 keeps every byte.
inline QString ToQString(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string FromQString(const QString& s) {
    return s.toLatin1().toStdString();
}

QFont ToQFont(const LOGFONT& lf);

} // namespace win
