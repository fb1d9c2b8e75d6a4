#include "testsupport/UiTestSupport.h"

#include "platform/ui/CDialogEx.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/WinConstants.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace uitest {

namespace {

bool IsFrame(const win::CWnd& w) {
    const QString kind = QString::fromLatin1(w.GetNative()->metaObject()->className());
    const win::DWORD type = w.GetStyle() & win::SS_TYPEMASK;
    const bool frameLabel = kind.contains(QLatin1String("Label")) &&
                            (type == win::SS_ETCHEDFRAME || type == win::SS_BLACKFRAME);
    return dynamic_cast<const win::CDialogEx*>(&w) == nullptr &&
           (kind == QLatin1String("QGroupBox") || frameLabel);
}

bool Allowed(int a, int b, const std::vector<StackedOnPurpose>& allowed) {
    return std::any_of(allowed.begin(), allowed.end(), [&](const StackedOnPurpose& s) {
        return (s.first == a && s.second == b) || (s.first == b && s.second == a);
    });
}

void Walk(const win::CWnd& parent, const std::vector<StackedOnPurpose>& allowed,
          std::vector<std::string>& faults) {
    const QRect client = parent.GetNative()->rect();
    std::vector<const win::CWnd*> shown;
    for (const win::CWnd* child : parent.GetChildren()) {
        const QWidget* w = child->GetNative();
        if (w == nullptr || w->isWindow() || !w->isVisibleTo(parent.GetNative()) ||
            w->width() <= 0 || w->height() <= 0) {
            continue;
        }
        shown.push_back(child);
        const QRect r = w->geometry();
        if (!client.contains(r)) {
            faults.push_back(
                QString::asprintf("control %d reaches outside its window (%d,%d %dx%d in %dx%d)",
                                  child->GetDlgCtrlID(), r.left(), r.top(), r.width(), r.height(),
                                  client.width(), client.height())
                    .toStdString());
        }
        if (dynamic_cast<const win::CDialogEx*>(child) != nullptr) {
            Walk(*child, allowed, faults);
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const QRect a = shown[i]->GetNative()->geometry();
            const QRect b = shown[j]->GetNative()->geometry();
            const int idA = shown[i]->GetDlgCtrlID(), idB = shown[j]->GetDlgCtrlID();
            const bool framed =
                (IsFrame(*shown[i]) && a.contains(b)) || (IsFrame(*shown[j]) && b.contains(a));
            if (!a.intersects(b) || framed || Allowed(idA, idB, allowed)) {
                continue;
            }
            const QRect both = a.intersected(b);
            faults.push_back(QString::asprintf("controls %d and %d overlap by %dx%d pixels", idA,
                                               idB, both.width(), both.height())
                                 .toStdString());
        }
    }
}

} // namespace

std::vector<std::string> LayoutFaults(const win::CWnd& window,
                                      const std::vector<StackedOnPurpose>& allowed) {
    std::vector<std::string> faults;
    if (window.GetNative() != nullptr) {
        Walk(window, allowed, faults);
    }
    return faults;
}

win::CRect RectIn(const win::CWnd& parent, const win::CWnd& control) {
    win::CRect r;
    control.GetWindowRect(&r);
    parent.ScreenToClient(&r);
    return r;
}

win::CRect RectIn(const win::CWnd& parent, int id) {
    return RectIn(parent, *parent.GetDlgItem(id));
}

void EnsureApplication() {
    if (QApplication::instance()) {
        return;
    }
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: destroying it among the exit-time
    // destructors would run after Qt's own have gone.
    new QApplication(argc, argv);
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

std::shared_ptr<ListChoice> AnswerListChoice(std::string title, int index) {
    auto offered = std::make_shared<ListChoice>();
    WhenReady([title] { return VisibleWindowTitled(title) != nullptr; },
              [title, index, offered] {
                  QWidget* w = VisibleWindowTitled(title);
                  if (auto* prompt = w->findChild<QLabel*>()) {
                      offered->prompt = prompt->text().toStdString();
                  }
                  if (auto* list = w->findChild<QComboBox*>()) {
                      for (int i = 0; i < list->count(); ++i) {
                          offered->items.push_back(list->itemText(i).toStdString());
                      }
                      offered->selected = list->currentIndex();
                      if (index >= 0) {
                          list->setCurrentIndex(index);
                      }
                  }
                  for (auto* b : w->findChildren<QPushButton*>()) {
                      if (b->text() == (index >= 0 ? "OK" : "Cancel")) {
                          QTest::mouseClick(b, Qt::LeftButton);
                      }
                  }
              });
    return offered;
}

QWidget* VisibleWindowTitled(const std::string& title) {
    const QString wanted = QString::fromStdString(title);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == wanted) {
            return w;
        }
    }
    return nullptr;
}

QImage Grab(const win::CWnd& wnd) {
    QWidget* w = wnd.GetNative();
    return w ? w->grab().toImage() : QImage();
}

win::COLORREF PixelAt(const QImage& image, int x, int y) {
    return image.valid(x, y) ? win::FromQColor(QColor(image.pixel(x, y))) : win::CLR_NONE;
}

int CountColour(const QImage& image, win::COLORREF colour, int x, int y, int w, int h) {
    return CountNear(image, colour, x, y, w, h, 0);
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
