#include "platform/ui/CMemoryDC.h"

#include "platform/ui/QtConvert.h"

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <algorithm>

namespace win {

namespace {
std::unique_ptr<QImage> NewSurface(int cx, int cy) {
    auto image = std::make_unique<QImage>(std::max(1, cx), std::max(1, cy), QImage::Format_RGB32);
    image->fill(QColor(0, 0, 0));
    return image;
}
} // namespace

CMemoryDC::CMemoryDC(int cx, int cy, const LOGFONT& font) : CMemoryDC(NewSurface(cx, cy), font) {}

CMemoryDC::CMemoryDC(std::unique_ptr<QImage> image, const LOGFONT& font)
    : CDC(image.get(), font), image_(std::move(image)) {}

CMemoryDC::~CMemoryDC() = default;

int CMemoryDC::Width() const {
    return image_->width();
}
int CMemoryDC::Height() const {
    return image_->height();
}

void CMemoryDC::CopyTurned(const CMemoryDC& source, int angle) {
    QImage turned = source.Image();
    if (angle == 90 || angle == 180 || angle == 270) {
        turned = turned.transformed(QTransform().rotate(angle)); // clockwise on screen
    }
    QPainter p(image_.get());
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), turned);
}

} // namespace win
