#include "toolkit/Pictureplus.h"

#include "platform/ui/CDC.h"
#include "toolkit/ControlGeometry.h"
#include "toolkit/Dlgplus.h"

#include <cstdio>
#include <memory>

using namespace win;

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
} // namespace

bool Pictureplus::LoadPicture(const std::string& path) {
    bytes_.clear();
    loaded_ = false;
    decoded_ = false;
    image_ = CImage();

    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    bool ok = file != nullptr;
    if (ok) {
        unsigned char block[1024];
        for (;;) {
            const std::size_t n = std::fread(block, 1, sizeof block, file.get());
            bytes_.insert(bytes_.end(), block, block + n);
            if (n < sizeof block) {
                ok = std::ferror(file.get()) == 0;
                break;
            }
        }
    }
    if (!ok) {
        bytes_.clear();
    }
    loaded_ = ok;
    if (IsWindow()) {
        Invalidate();
    }
    return ok;
}

bool Pictureplus::OnPaint(CDC& dc) {
    if (!loaded_) {
        return false;
    }
    if (!decoded_) {
        image_.LoadFromMemory(bytes_);
        decoded_ = true;
    }
    if (image_.IsNull()) {
        return false;
    }
    CRect client;
    GetClientRect(&client);
    if (fitted_) {
        const PixelRect fit = FitRect(image_.Width(), image_.Height(),
                                      {client.left, client.top, client.right, client.bottom});
        client = CRect(fit.left, fit.top, fit.right, fit.bottom);
    }
    dc.StretchImage(image_, client);
    return true;
}

void Pictureplus::StretchToMarker(win::CWnd& marker) {
    const win::CWnd& parent = *GetParent();
    const win::CRect picture = ChildRect(parent, *this);
    const win::CRect end = ChildRect(parent, marker);
    MoveWindow(win::CRect(picture.left, picture.top, end.right, end.bottom));
    marker.ShowWindow(win::SW_HIDE);
}

void Pictureplus::SetFitted(bool fitted) {
    fitted_ = fitted;
    if (IsWindow()) {
        Invalidate();
    }
}
