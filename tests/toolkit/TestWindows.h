// Helpers of the toolkit control tests: the Qt application, a parent window
// that records the messages its controls post, and pixel checks on grabbed
// images.
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/Colorref.h"
#include "testsupport/UiTestSupport.h"

#include <QImage>

#include <functional>
#include <vector>

class QWidget;

using uitest::CountColour;
using uitest::CountNear;
using uitest::EnsureApplication;
using uitest::Grab;
using uitest::PixelAt;
using uitest::Settle;
using uitest::WaitUntil;

class MessageLog : public win::CWnd {
public:
    struct Message {
        win::UINT message;
        win::WPARAM wParam;
        win::LPARAM lParam;
    };
    // A visible top-level window of the given client size.
    MessageLog(int width = 400, int height = 300);
    win::LRESULT WindowProc(win::UINT message, win::WPARAM wParam, win::LPARAM lParam) override;

    std::vector<Message> messages;
};

// uitest's CountColour and CountNear over the whole image.
int CountColour(const QImage& image, win::COLORREF colour);
int CountNear(const QImage& image, win::COLORREF colour, int tolerance = 48);
// Pixels that are not `background` (text ink).
struct InkBox {
    int left = 0, top = 0, right = -1, bottom = -1; // inclusive; empty when right < left
    int count = 0;
    bool Empty() const { return right < left; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};
InkBox FindInk(const QImage& image, win::COLORREF background);
int CountInk(const QImage& image, win::COLORREF background, int x, int y, int w, int h);
