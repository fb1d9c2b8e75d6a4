#include "platform/ui/CImageList.h"

namespace win {

bool CImageList::Create(int cx, int cy, int initial, int grow) {
    (void)initial;
    (void)grow;
    if (cx <= 0 || cy <= 0) {
        return false;
    }
    cx_ = cx;
    cy_ = cy;
    images_.clear();
    return true;
}

int CImageList::Add(const CImage& strip) {
    if (cx_ <= 0 || strip.IsNull() || strip.Width() < cx_) {
        return -1;
    }
    const int first = GetImageCount();
    for (int x = 0; x + cx_ <= strip.Width(); x += cx_) {
        images_.push_back(strip.Copy(x, 0, cx_, cy_));
    }
    return first;
}

CImage CImageList::GetImage(int index) const {
    if (index < 0 || index >= GetImageCount()) {
        return CImage();
    }
    return images_[static_cast<std::size_t>(index)];
}

} // namespace win
