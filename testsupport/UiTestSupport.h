// Helpers of the window tests and the demo: the Qt application, waiting on
// events, acting inside modal loops, the dialog behind a window, and pixels of
// grabbed windows.
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/Colorref.h"
#include "platform/ui/EventBridge.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace uitest {

// The process's Qt application, made on first use.
void EnsureApplication();
// Runs the event loop until `done` holds or `ms` pass; returns done().
bool WaitUntil(const std::function<bool()>& done, int ms = 6000);
// Lets queued calls and paints run.
void Settle();
// Runs `action` from the event loop as soon as `ready` holds (polling every
// few milliseconds), for acting on a window that a modal loop shows. With an
// `owner`, the wait ends unanswered when the owner goes.
void WhenReady(std::function<bool()> ready, std::function<void()> action, QObject* owner = nullptr);
// What a list choice window offered.
struct ListChoice {
    std::vector<std::string> items;
    int selected = -2;
    std::string prompt;
};
// Answers the next list choice window titled `title`: picks entry `index` and
// presses OK, or Cancel when `index` is negative. The result fills in then.
std::shared_ptr<ListChoice> AnswerListChoice(std::string title, int index);
// The visible top-level window whose title is `title`, or nullptr.
QWidget* VisibleWindowTitled(const std::string& title);

// The dialog of class T that owns `window` or one of its children, or nullptr.
template <class T> T* DialogBehind(QWidget* window) {
    QList<QWidget*> widgets =
        window != nullptr ? window->findChildren<QWidget*>() : QList<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        if (auto* dialog = dynamic_cast<T*>(win::EventBridge::OwnerOf(widget))) {
            return dialog;
        }
    }
    return nullptr;
}
// The rectangle of `control` (or of the control `id`) in `parent`'s client area.
win::CRect RectIn(const win::CWnd& parent, const win::CWnd& control);
win::CRect RectIn(const win::CWnd& parent, int id);
// Two sibling controls the design stacks on purpose, by id (either order).
struct StackedOnPurpose {
    int first;
    int second;
    const char* why;
};
// What keeps a window's controls from showing whole: two visible sibling
// controls that overlap, or a visible control that reaches outside its
// parent's client area; panes (child dialogs) are walked too. A frame (group
// box, etched or black frame) holding a control whole is no overlap: it is
// drawn round the controls it groups. Each fault is one line naming the ids.
std::vector<std::string> LayoutFaults(const win::CWnd& window,
                                      const std::vector<StackedOnPurpose>& allowed = {});

// The window as it paints now.
QImage Grab(const win::CWnd& wnd);
win::COLORREF PixelAt(const QImage& image, int x, int y);
// How many pixels of x, y, w, h have exactly `colour`.
int CountColour(const QImage& image, win::COLORREF colour, int x, int y, int w, int h);
// How many pixels of x, y, w, h are within `tolerance` of `colour` in every
// channel (smoothed text has few pixels of the exact colour).
int CountNear(const QImage& image, win::COLORREF colour, int x, int y, int w, int h,
              int tolerance = 48);

} // namespace uitest
