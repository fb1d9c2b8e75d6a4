// Helpers of the toolkit control tests: the Qt application, a parent window
// that records the messages its controls post, and pixel checks on grabbed
// images.
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/Colorref.h"

#include <QImage>

#include <functional>
#include <vector>

class QWidget;

// The process's Qt application, made on first use.
void EnsureApplication();

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

// Runs the event loop until `done` holds or `ms` pass; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int ms = 3000);
// Lets queued calls and paints run.
void Settle();

// The control as it paints now.
QImage Grab(const win::CWnd& wnd);
win::COLORREF PixelAt(const QImage& image, int x, int y);
// How many pixels of `rect` (x, y, w, h) have exactly that colour.
int CountColour(const QImage& image, win::COLORREF colour, int x, int y, int w, int h);
int CountColour(const QImage& image, win::COLORREF colour);
// How many pixels are within `tolerance` of the colour in every channel
// (smoothed text has few pixels of the exact colour).
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
