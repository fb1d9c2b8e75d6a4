#include "platform/ui/CImage.h"

#include "platform/ui/QtConvert.h"
#include "platform/ui/QtPath.h"

#include <QImage>

namespace win {

CImage::CImage() : image_(std::make_unique<QImage>()) {}
CImage::~CImage() = default;
CImage::CImage(const CImage& other) : image_(std::make_unique<QImage>(*other.image_)) {}

CImage& CImage::operator=(const CImage& other) {
    if (this != &other) {
        *image_ = *other.image_;
    }
    return *this;
}

bool CImage::LoadFromMemory(const std::vector<unsigned char>& bytes) {
    QImage decoded;
    if (bytes.empty() || !decoded.loadFromData(bytes.data(), static_cast<int>(bytes.size()))) {
        *image_ = QImage();
        return false;
    }
    *image_ = decoded;
    return true;
}

bool CImage::LoadFromFile(const std::string& path) {
    QImage decoded;
    if (!decoded.load(ToQPath(path))) {
        *image_ = QImage();
        return false;
    }
    *image_ = decoded;
    return true;
}

bool CImage::IsNull() const {
    return image_->isNull();
}
int CImage::Width() const {
    return image_->width();
}
int CImage::Height() const {
    return image_->height();
}

CImage CImage::Copy(int x, int y, int cx, int cy) const {
    CImage part;
    *part.image_ = image_->copy(QRect(x, y, cx, cy).intersected(image_->rect()));
    return part;
}

void CImage::SetImage(const QImage& image) {
    *image_ = image;
}

} // namespace win
