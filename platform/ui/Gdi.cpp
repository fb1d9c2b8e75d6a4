#include "platform/ui/Gdi.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/WinTypes.h"

#include <algorithm>
#include <cstring>

namespace win {

std::string LOGFONT::FaceName() const {
    const auto end = std::find(lfFaceName.begin(), lfFaceName.end(), '\0');
    return std::string(lfFaceName.begin(), end);
}

void LOGFONT::SetFaceName(const std::string& face) {
    lfFaceName.fill('\0');
    const std::size_t n = std::min(face.size(), lfFaceName.size() - 1);
    std::memcpy(lfFaceName.data(), face.data(), n);
}

LOGFONT FontFromPoints(const std::string& face, int points) {
    LOGFONT lf;
    lf.lfHeight = -MulDiv(points, 96, 72);
    lf.SetFaceName(face);
    return lf;
}

LOGFONT DefaultGuiFont() {
    return FontFromPoints("Segoe UI", 9);
}

bool CFont::CreateFontIndirect(const LOGFONT& lf) {
    lf_ = lf;
    valid_ = true;
    return true;
}

bool CFont::CreatePointFont(int tenthsOfPoints, const std::string& face) {
    LOGFONT lf;
    lf.lfHeight = -MulDiv(tenthsOfPoints, 96, 720);
    lf.SetFaceName(face);
    return CreateFontIndirect(lf);
}

bool CPen::CreatePen(int style, int width, COLORREF colour) {
    style_ = style;
    width_ = std::max(1, width);
    colour_ = colour;
    valid_ = true;
    return true;
}

bool CBrush::CreateSolidBrush(COLORREF colour) {
    colour_ = colour;
    hollow_ = false;
    valid_ = true;
    return true;
}

CBrush CBrush::Hollow() {
    CBrush b;
    b.valid_ = true;
    b.hollow_ = true;
    return b;
}

QFont ToQFont(const LOGFONT& lf) {
    QFont f(ToQString(lf.FaceName()));
    const int px = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    f.setPixelSize(px > 0 ? px : 13);
    f.setWeight(
        static_cast<QFont::Weight>(std::clamp(lf.lfWeight > 0 ? lf.lfWeight : 400, 100, 900)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    return f;
}

} // namespace win
