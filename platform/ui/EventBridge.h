// Inside the window layer: the event filter that hands a widget's events to
// its CWnd's handlers.
#pragma once

#include <QObject>

class QKeyEvent;
class QPainter;
class QWidget;

namespace win {

class CWnd;

class EventBridge : public QObject {
public:
    explicit EventBridge(CWnd* owner) : owner_(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The CWnd that owns a widget (nullptr for widgets of no CWnd).
    static CWnd* OwnerOf(const QObject* widget);
    // The CWnd owning the widget or its nearest ancestor.
    static CWnd* OwnerOfNearest(const QObject* widget);

private:
    bool Paint(QWidget* widget);
    bool KeyPress(QKeyEvent* event);
    void ApplyColorAnswer(QWidget* widget, QPainter& painter);
    CWnd* owner_;
};

// Windows virtual key code of a Qt key, 0 when there is none.
unsigned VirtualKeyOf(int qtKey);

} // namespace win
