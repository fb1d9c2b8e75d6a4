#include "platform/ui/EventBridge.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/QtConvert.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>

namespace win {

namespace {

UINT KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    if (buttons & Qt::LeftButton) {
        flags |= MK_LBUTTON;
    }
    if (buttons & Qt::RightButton) {
        flags |= MK_RBUTTON;
    }
    if (buttons & Qt::MiddleButton) {
        flags |= MK_MBUTTON;
    }
    if (modifiers & Qt::ShiftModifier) {
        flags |= MK_SHIFT;
    }
    if (modifiers & Qt::ControlModifier) {
        flags |= MK_CONTROL;
    }
    return flags;
}

UINT MouseFlags(const QMouseEvent* e) {
    return KeyFlags(e->buttons(), e->modifiers());
}

CPoint PointOf(const QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    return CPoint(p.x(), p.y());
}

// Whether the focus is in `widget` or a child of it, whose keys reached the
// widget's handler on their way up.
bool HoldsFocus(const QWidget* widget) {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == widget || widget->isAncestorOf(focus));
}

// The frame around a window's client area, or its menu bar while no menu of
// it is open or highlighted.
bool IsFrameOrIdleMenuBar(const QObject* watched, const QWidget* client) {
    if (watched == client->window()) {
        return true;
    }
    const auto* bar = qobject_cast<const QMenuBar*>(watched);
    return bar != nullptr && bar->window() == client->window() && bar->activeAction() == nullptr;
}

// Windows virtual key code of a Qt key, 0 when there is none.
unsigned VirtualKeyOf(int key) {
    switch (key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        break;
    }
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return static_cast<unsigned>(key); // same codes as the ASCII letters and digits
    }
    return 0;
}

} // namespace

CWnd* EventBridge::OwnerOf(const QObject* widget) {
    if (!widget) {
        return nullptr;
    }
    const QVariant v = widget->property(kOwnerProperty);
    return v.isValid() ? reinterpret_cast<CWnd*>(v.value<quintptr>()) : nullptr;
}

CWnd* EventBridge::OwnerOfNearest(const QObject* widget) {
    for (const QObject* o = widget; o; o = o->parent()) {
        if (CWnd* w = OwnerOf(o)) {
            return w;
        }
    }
    return nullptr;
}

void EventBridge::ApplyColorAnswer(QWidget* widget, QPainter& painter) {
    const UINT kind = owner_->ColorRequestKind();
    if (kind == 0) {
        return;
    }
    CDC dc(owner_->GetFont());
    const CBrush* brush = owner_->CtlColor(dc, kind);
    if (!brush && owner_->GetParent()) {
        brush = owner_->GetParent()->OnCtlColor(dc, owner_, kind);
    }
    if (!brush) {
        return;
    }
    QPalette pal = widget->palette();
    const QColor text = ToQColor(dc.GetTextColor());
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(group, QPalette::Text, text);
        pal.setColor(group, QPalette::ButtonText, text);
        if (!brush->IsHollow()) {
            const QColor back = ToQColor(brush->Colour());
            pal.setColor(group, QPalette::Window, back);
            pal.setColor(group, QPalette::Base, back);
            pal.setColor(group, QPalette::Button, back);
        }
    }
    if (pal != widget->palette()) {
        widget->setPalette(pal); // read by the widget's own painting that follows
    }
    // Edits paint their own field; group boxes leave their inside to the window.
    if (!brush->IsHollow() && kind != CTLCOLOR_EDIT && !qobject_cast<QGroupBox*>(widget)) {
        painter.fillRect(widget->rect(), ToQColor(brush->Colour()));
    }
}

bool EventBridge::Paint(QWidget* widget) {
    QPainter painter(widget);
    CDC dc(painter, owner_->GetFont());
    owner_->OnEraseBkgnd(dc);
    if (owner_->OnPaint(dc)) {
        return true;
    }
    ApplyColorAnswer(widget, painter);
    return false; // the platform control paints on top
}

bool EventBridge::KeyPress(QKeyEvent* e) {
    const unsigned vk = VirtualKeyOf(e->key());
    if (vk == 0) {
        return false;
    }
    UINT flags = e->isAutoRepeat() ? 0x4000 : 0;
    if (owner_->OnKeyDown(vk, static_cast<UINT>(e->count()), flags)) {
        e->accept();
        return true;
    }
    return false;
}

bool EventBridge::Mouse(QMouseEvent* e) {
    const UINT flags = MouseFlags(e);
    const CPoint point = PointOf(e);
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        switch (e->button()) {
        case Qt::LeftButton:
            return e->type() == QEvent::MouseButtonDblClick ? owner_->OnLButtonDblClk(flags, point)
                                                            : owner_->OnLButtonDown(flags, point);
        case Qt::MiddleButton:
            return owner_->OnMButtonDown(flags, point);
        case Qt::RightButton:
            return owner_->OnRButtonDown(flags, point);
        default:
            return false;
        }
    case QEvent::MouseButtonRelease:
        switch (e->button()) {
        case Qt::LeftButton:
            return owner_->OnLButtonUp(flags, point);
        case Qt::MiddleButton:
            return owner_->OnMButtonUp(flags, point);
        case Qt::RightButton:
            return owner_->OnRButtonUp(flags, point);
        default:
            return false;
        }
    default:
        return owner_->OnMouseMove(flags, point);
    }
}

bool EventBridge::Wheel(QWheelEvent* e) {
    const int turn = std::clamp(e->angleDelta().y(), -32768, 32767);
    const QPoint p = e->position().toPoint();
    if (owner_->OnMouseWheel(KeyFlags(e->buttons(), e->modifiers()), static_cast<short>(turn),
                             CPoint(p.x(), p.y()))) {
        e->accept();
        return true;
    }
    return false;
}

bool EventBridge::eventFilter(QObject* watched, QEvent* event) {
    QWidget* widget = owner_->GetNative();
    if (event->type() == QEvent::Close) {
        if (widget && watched == widget->window()) {
            event->ignore();
            owner_->OnClose();
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::KeyPress && widget && watched != widget &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !HoldsFocus(widget) &&
        IsFrameOrIdleMenuBar(watched, widget)) {
        // Nothing in the client area has the focus (its controls are all
        // hidden or disabled, or the menu bar kept it after its menus
        // closed): Esc still closes the window.
        return KeyPress(static_cast<QKeyEvent*>(event));
    }
    if (watched != widget) {
        return false;
    }
    switch (event->type()) {
    case QEvent::Paint:
        return Paint(widget);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        return Mouse(static_cast<QMouseEvent*>(event));
    case QEvent::Wheel:
        return Wheel(static_cast<QWheelEvent*>(event));
    case QEvent::KeyPress:
        return KeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
        owner_->OnSetFocus();
        widget->update();
        return false;
    case QEvent::FocusOut:
        owner_->OnKillFocus();
        widget->update();
        return false;
    case QEvent::WindowBlocked:
    case QEvent::Hide:
        // A modal window opened over it, or it went: the mouse is not its any more.
        if (CWnd::GetCapture() == owner_) {
            CWnd::ReleaseCapture();
        }
        return false;
    case QEvent::Resize: {
        auto* e = static_cast<QResizeEvent*>(event);
        owner_->OnSize(e->size().width(), e->size().height());
        return false;
    }
    default:
        return false;
    }
}

} // namespace win
