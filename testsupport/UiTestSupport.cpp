#include "testsupport/UiTestSupport.h"

#include "platform/ui/QtConvert.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdlib>

namespace uitest {

void EnsureApplication() {
    if (QApplication::instance()) {
        return;
    }
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: destroying it among the exit-time
    // destructors would run after Qt's own have gone.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    QApplication::setQuitOnLastWindowClosed(false);
}

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

void WhenReady(std::function<bool()> ready, std::function<void()> action, QObject* owner) {
    auto* timer = new QTimer(owner);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, action] {
        if (!ready()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

QWidget* VisibleWindowTitled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == title) {
            return w;
        }
    }
    return nullptr;
}

QWidget* VisibleWindowTitled(const std::string& title) {
    return VisibleWindowTitled(QString::fromStdString(title));
}

QWidget* VisibleWindowTitled(const char* title) {
    return VisibleWindowTitled(QString::fromUtf8(title));
}

QImage Grab(const win::CWnd& wnd) {
    QWidget* w = wnd.GetNative();
    return w ? w->grab().toImage() : QImage();
}

win::COLORREF PixelAt(const QImage& image, int x, int y) {
    if (!image.valid(x, y)) {
        return win::CLR_NONE;
    }
    return win::FromQColor(QColor(image.pixel(x, y)));
}

int CountColour(const QImage& image, win::COLORREF colour, int x, int y, int w, int h) {
    int n = 0;
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            n += PixelAt(image, i, j) == colour ? 1 : 0;
        }
    }
    return n;
}

int CountNear(const QImage& image, win::COLORREF colour, int x, int y, int w, int h,
              int tolerance) {
    int n = 0;
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            const win::COLORREF p = PixelAt(image, i, j);
            n += p != win::CLR_NONE &&
                 std::abs(win::GetRValue(p) - win::GetRValue(colour)) <= tolerance &&
                 std::abs(win::GetGValue(p) - win::GetGValue(colour)) <= tolerance &&
                 std::abs(win::GetBValue(p) - win::GetBValue(colour)) <= tolerance;
        }
    }
    return n;
}

} // namespace uitest
