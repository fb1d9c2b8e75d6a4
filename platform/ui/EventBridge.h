// Inside the window layer: the event filter that hands a widget's events to
// its CWnd's handlers.
#pragma once

#include <QObject>

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class QPainter;
class QWidget;

namespace win {

class CWnd;

class EventBridge : public QObject {
public:
    // The widget property that names the CWnd owning a widget (CWnd sets and
    // clears it; OwnerOf reads it).
    static constexpr const char* kOwnerProperty = "win_cwnd";

    explicit EventBridge(CWnd* owner) : owner_(owner) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The CWnd that owns a widget (nullptr for widgets of no CWnd).
    static CWnd* OwnerOf(const QObject* widget);
    // The CWnd owning the widget or its nearest ancestor.
    static CWnd* OwnerOfNearest(const QObject* widget);

private:
    bool Paint(QWidget* widget);
    bool KeyPress(QKeyEvent* event);
    // Buttons and moves to the owner's mouse handlers; the wheel to OnMouseWheel.
    bool Mouse(QMouseEvent* event);
    bool Wheel(QWheelEvent* event);
    void ApplyColorAnswer(QWidget* widget, QPainter& painter);
    CWnd* owner_;
};

} // namespace win
