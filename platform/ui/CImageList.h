// CImageList: equal-width images cut from a strip, as the tab strip uses them.
#pragma once

#include "platform/ui/CImage.h"

#include <vector>

namespace win {

class CImageList {
public:
    // Images `cx` x `cy` pixels; growth is accepted for compatibility.
    bool Create(int cx, int cy, int initial, int grow);
    // Adds the strip cut into images `cx` wide, left to right; returns the
    // index of the first one added, or -1.
    int Add(const CImage& strip);
    int GetImageCount() const { return static_cast<int>(images_.size()); }
    // The image at `index`; an empty image when out of range.
    CImage GetImage(int index) const;
    int ImageWidth() const { return cx_; }
    int ImageHeight() const { return cy_; }

private:
    int cx_ = 0;
    int cy_ = 0;
    std::vector<CImage> images_;
};

} // namespace win
