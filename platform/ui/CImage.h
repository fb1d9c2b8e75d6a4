// CImage: a decoded picture (JPEG, PNG, BMP) held in memory.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QImage;

namespace win {

class CImage {
public:
    CImage();
    ~CImage();
    CImage(const CImage& other);
    CImage& operator=(const CImage& other);

    // Decodes the bytes of an image file; false leaves the image empty.
    bool LoadFromMemory(const std::vector<unsigned char>& bytes);
    bool LoadFromFile(const std::string& path);
    bool IsNull() const;
    int Width() const;
    int Height() const;
    // The part x..x+cx-1 of the picture (clipped to it).
    CImage Copy(int x, int y, int cx, int cy) const;

    const QImage& Image() const { return *image_; }
    void SetImage(const QImage& image);

private:
    std::unique_ptr<QImage> image_;
};

} // namespace win
