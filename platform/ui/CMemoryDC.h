// CMemoryDC: an off-screen surface of a fixed size with a CDC on it, for
// drawing into an image and copying or turning the image afterwards.
#pragma once

#include "platform/ui/CDC.h"

#include <memory>

namespace win {

class CMemoryDC : public CDC {
public:
    // A surface `cx` x `cy` pixels (at least 1 x 1), filled black like a new
    // compatible bitmap.
    CMemoryDC(int cx, int cy, const LOGFONT& font);
    ~CMemoryDC() override;

    int Width() const;
    int Height() const;

    // Fills this surface from `source` turned clockwise by 0, 90, 180 or 270
    // degrees (other angles copy unturned): the turned image is placed at the
    // top-left; the rest of this surface is left as it was.
    void CopyTurned(const CMemoryDC& source, int angle);

    const QImage& Image() const { return *image_; }

private:
    explicit CMemoryDC(std::unique_ptr<QImage> image, const LOGFONT& font);
    std::unique_ptr<QImage> image_;
};

} // namespace win
