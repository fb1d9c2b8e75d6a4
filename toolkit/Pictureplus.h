#pragma once

// Pictureplus: shows an image file (JPEG, PNG, BMP) stretched over the whole
// control, or, once fitted, at its own aspect ratio as large as fits, centred.
// The file's bytes are read into memory by LoadPicture; until a file was read
// the control draws as a plain static.

#include "platform/ui/CImage.h"
#include "platform/ui/CStatic.h"

#include <string>
#include <vector>

class Pictureplus : public win::CStatic {
public:
    // True when the whole file was read (then the control is redrawn); false
    // leaves the control empty.
    bool LoadPicture(const std::string& path);
    bool IsLoaded() const { return loaded_; }
    // Keeps the picture's aspect ratio instead of stretching it.
    void SetFitted(bool fitted);
    // Covers the area from its own top-left corner to the bottom-right corner
    // of `marker`, a control beside it in the same dialog, which is hidden.
    void StretchToMarker(win::CWnd& marker);
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

    bool OnPaint(win::CDC& dc) override;

private:
    std::vector<unsigned char> bytes_;
    bool loaded_ = false;
    // Decoded from the bytes at the first paint after a load.
    win::CImage image_;
    bool decoded_ = false;
    bool fitted_ = false;
};
