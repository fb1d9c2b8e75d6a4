// Helpers of the toolkit control tests: a parent window that records the
// messages its controls post, and ink found on grabbed images.
#pragma once

#include "platform/ui/CWnd.h"
#include "testsupport/UiTestSupport.h"

#include <algorithm>
#include <vector>

using uitest::Grab, uitest::PixelAt, uitest::Settle, uitest::WaitUntil;

class MessageLog : public win::CWnd {
public:
    struct Message {
        win::UINT message;
        win::WPARAM wParam;
        win::LPARAM lParam;
    };
    MessageLog(int width = 400, int height = 300) {
        uitest::EnsureApplication();
        Create("test parent", win::WS_POPUP | win::WS_VISIBLE, win::CRect(0, 0, width, height),
               nullptr, 0);
    }
    win::LRESULT WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return CWnd::WindowProc(message, wParam, lParam);
    }
    std::vector<Message> messages;
};

// uitest's counts over a part of the image, or over the whole of it.
inline int CountColour(const QImage& image, win::COLORREF colour, int x = 0, int y = 0,
                       int w = 1 << 16, int h = 1 << 16) {
    return uitest::CountColour(image, colour, x, y, std::min(w, image.width() - x),
                               std::min(h, image.height() - y));
}
inline int CountNear(const QImage& image, win::COLORREF colour, int tolerance = 48) {
    return uitest::CountNear(image, colour, 0, 0, image.width(), image.height(), tolerance);
}

// The colours at the points, to compare with the expected ones in one step.
inline std::vector<win::COLORREF> Pixels(const QImage& image, std::vector<QPoint> points) {
    std::vector<win::COLORREF> out;
    for (QPoint p : points) {
        out.push_back(PixelAt(image, p.x(), p.y()));
    }
    return out;
}
using Colours = std::vector<win::COLORREF>;

// The box round the pixels of x, y, w, h that are not `background` (text ink).
struct InkBox {
    int left = 1 << 16, top = 1 << 16, right = -1, bottom = -1; // inclusive
    int count = 0;
    bool Empty() const { return right < left; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};
inline InkBox FindInk(const QImage& image, win::COLORREF background, int x = 0, int y = 0,
                      int w = 1 << 16, int h = 1 << 16) {
    InkBox box;
    for (int j = y; j < std::min(y + h, image.height()); ++j) {
        for (int i = x; i < std::min(x + w, image.width()); ++i) {
            if (PixelAt(image, i, j) != background) {
                box = {std::min(box.left, i), std::min(box.top, j), std::max(box.right, i),
                       std::max(box.bottom, j), box.count + 1};
            }
        }
    }
    return box;
}
