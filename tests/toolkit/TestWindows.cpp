#include "tests/toolkit/TestWindows.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QWidget>

using namespace win;

MessageLog::MessageLog(int width, int height) {
    EnsureApplication();
    Create("test parent", WS_POPUP | WS_VISIBLE, CRect(0, 0, width, height), nullptr, 0);
}

LRESULT MessageLog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    messages.push_back({message, wParam, lParam});
    return CWnd::WindowProc(message, wParam, lParam);
}

int CountColour(const QImage& image, COLORREF colour) {
    return CountColour(image, colour, 0, 0, image.width(), image.height());
}

int CountNear(const QImage& image, COLORREF colour, int tolerance) {
    return CountNear(image, colour, 0, 0, image.width(), image.height(), tolerance);
}

InkBox FindInk(const QImage& image, COLORREF background) {
    InkBox box;
    box.left = image.width();
    box.top = image.height();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (PixelAt(image, x, y) != background) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
                ++box.count;
            }
        }
    }
    return box;
}

int CountInk(const QImage& image, COLORREF background, int x, int y, int w, int h) {
    int n = 0;
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            if (image.valid(i, j) && PixelAt(image, i, j) != background) {
                ++n;
            }
        }
    }
    return n;
}
