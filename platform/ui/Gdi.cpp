#include "platform/ui/Gdi.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/WinTypes.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

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

namespace {

constexpr int kDefaultPixels = 13;

// The cell height (ascent plus descent) of `font` per pixel of its character
// height, as the font that the face resolves to gives it; kept per face,
// weight and slant.
double CellPerPixel(const QFont& font) {
    static std::map<std::tuple<QString, int, bool>, double> known;
    const auto key = std::make_tuple(font.family(), static_cast<int>(font.weight()), font.italic());
    if (const auto found = known.find(key); found != known.end()) {
        return found->second;
    }
    constexpr int kProbe = 200; // large, so that rounding of the metrics does not count
    QFont probe(font);
    probe.setPixelSize(kProbe);
    const QFontMetricsF fm(probe);
    const double cell = fm.ascent() + fm.descent();
    const double ratio = cell > 0 ? cell / kProbe : 1.0;
    known.emplace(key, ratio);
    return ratio;
}

} // namespace

QFont ToQFont(const LOGFONT& lf) {
    QFont f(ToQString(lf.FaceName()));
    f.setWeight(
        static_cast<QFont::Weight>(std::clamp(lf.lfWeight > 0 ? lf.lfWeight : 400, 100, 900)));
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    // As Windows maps heights: negative is the character height, which Qt's
    // pixel size is; positive is the cell height, internal leading included.
    int px = kDefaultPixels;
    if (lf.lfHeight < 0) {
        px = -lf.lfHeight;
    } else if (lf.lfHeight > 0) {
        px = std::max(1, static_cast<int>(std::lround(lf.lfHeight / CellPerPixel(f))));
    }
    f.setPixelSize(px);
    return f;
}

} // namespace win
