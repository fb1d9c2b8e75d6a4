#include "platform/ui/CWnd.h"

#include "platform/ui/CDC.h"
#include "platform/ui/CImage.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/EventBridge.h"
#include "platform/ui/QtConvert.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <map>

namespace win {

namespace {
CWnd* g_capture = nullptr;
} // namespace

struct CWnd::Impl {
    QPointer<QWidget> widget;
    std::unique_ptr<EventBridge> bridge;
    std::map<UINT_PTR, QPointer<QTimer>> timers;
    bool topLevel = false;
};

bool CWnd::IsTopLevel() const {
    return impl_->topLevel && GetNative();
}

QWidget* CWnd::TopWidget() const {
    QWidget* w = GetNative();
    return w && impl_->topLevel ? w->window() : w;
}

void CWnd::AdoptFrame(QWidget* frame) {
    impl_->topLevel = true;
    if (frame && impl_->bridge) {
        frame->installEventFilter(impl_->bridge.get());
        // The menu bar keeps the focus once its menus close; Esc there is the window's.
        for (QMenuBar* bar : frame->findChildren<QMenuBar*>()) {
            bar->installEventFilter(impl_->bridge.get());
        }
    }
}

CWnd::CWnd() : impl_(std::make_unique<Impl>()), font_(DefaultGuiFont()) {}

CWnd::~CWnd() {
    if (g_capture == this) {
        g_capture = nullptr;
    }
    impl_->bridge.reset(); // no more events to this object
    if (QWidget* w = impl_->widget.data()) {
        w->setProperty(EventBridge::kOwnerProperty, QVariant());
        for (auto& [id, timer] : impl_->timers) {
            delete timer.data();
        }
        delete w;
    }
}

QWidget* CWnd::GetNative() const {
    return impl_->widget.data();
}
bool CWnd::IsWindow() const {
    return !impl_->widget.isNull();
}

QWidget* CWnd::CreateNative(QWidget* parent) {
    return new QWidget(parent);
}
void CWnd::PreSubclassWindow() {}
void CWnd::OnStyleChanged() {}
void CWnd::OnFontChanged() {}
UINT CWnd::ColorRequestKind() const {
    return 0;
}

void CWnd::SetNativeText(const std::string& text) {
    if (IsTopLevel()) {
        TopWidget()->setWindowTitle(ToQString(text));
    }
}

std::string CWnd::GetNativeText() const {
    return text_;
}

bool CWnd::Create(const std::string& text, DWORD style, const CRect& rect, CWnd* parent, int id,
                  DWORD exStyle) {
    if (IsWindow()) {
        return false;
    }
    const bool child = (style & WS_CHILD) || (!(style & WS_POPUP) && parent);
    QWidget* parentWidget = child && parent ? parent->GetNative() : nullptr;
    if (child && !parentWidget) {
        return false;
    }
    exStyle_ = exStyle;
    style_ = style & ~(WS_VISIBLE | WS_DISABLED); // the class style picks the widget
    QWidget* w = CreateNative(parentWidget);
    if (!w) {
        return false;
    }
    if (!Attach(w, parent, id, style)) {
        return false;
    }
    if (child) {
        w->setGeometry(ToQRect(rect));
    } else {
        w->move(rect.left, rect.top);
        w->resize(rect.Width(), rect.Height());
    }
    text_ = text;
    SetNativeText(text);
    OnStyleChanged();
    PreSubclassWindow();
    w->setVisible((style & WS_VISIBLE) != 0);
    return true;
}

bool CWnd::Attach(QWidget* widget, CWnd* parent, int id, DWORD style) {
    if (!widget || IsWindow()) {
        return false;
    }
    impl_->widget = widget;
    parent_ = parent;
    id_ = id;
    style_ = style & ~(WS_VISIBLE | WS_DISABLED);
    if (parent) {
        font_ = parent->font_;
    }
    widget->setProperty(EventBridge::kOwnerProperty,
                        QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    impl_->bridge = std::make_unique<EventBridge>(this);
    widget->installEventFilter(impl_->bridge.get());
    impl_->topLevel = widget->isWindow();
    widget->setMouseTracking(true);
    widget->setFont(ToQFont(font_));
    widget->setEnabled((style & WS_DISABLED) == 0);
    return true;
}

void CWnd::DestroyNow() {
    QWidget* w = GetNative();
    if (!w) {
        return;
    }
    for (auto& [id, timer] : impl_->timers) {
        delete timer.data();
    }
    impl_->timers.clear();
    w->removeEventFilter(impl_->bridge.get());
    w->setProperty(EventBridge::kOwnerProperty, QVariant());
    impl_->widget = nullptr;
    delete w;
    impl_->bridge.reset();
}

CWnd* CWnd::GetDlgItem(int id) const {
    for (CWnd* c : GetChildren()) {
        if (c->id_ == id) {
            return c;
        }
    }
    return nullptr;
}

std::vector<CWnd*> CWnd::GetChildren() const {
    std::vector<CWnd*> out;
    if (QWidget* w = GetNative()) {
        for (QObject* o : w->children()) {
            if (CWnd* c = EventBridge::OwnerOf(o)) {
                out.push_back(c);
            }
        }
    }
    return out;
}

void CWnd::SetWindowText(const std::string& text) {
    text_ = text;
    if (IsWindow()) {
        SetNativeText(text);
    }
}

std::string CWnd::GetWindowText() const {
    return IsWindow() ? GetNativeText() : text_;
}

std::string CWnd::GetDlgItemText(int id) const {
    const CWnd* c = GetDlgItem(id);
    return c ? c->GetWindowText() : std::string();
}

DWORD CWnd::GetStyle() const {
    DWORD style = style_;
    if (QWidget* w = GetNative()) {
        if (!w->isHidden()) {
            style |= WS_VISIBLE;
        }
        if (w->testAttribute(Qt::WA_ForceDisabled)) {
            style |= WS_DISABLED;
        }
    }
    return style;
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add) {
    const DWORD before = GetStyle();
    const DWORD after = (before & ~remove) | add;
    if (before == after) {
        return false;
    }
    if ((before ^ after) & WS_VISIBLE) {
        ShowWindow((after & WS_VISIBLE) ? SW_SHOW : SW_HIDE);
    }
    if ((before ^ after) & WS_DISABLED) {
        EnableWindow((after & WS_DISABLED) == 0);
    }
    const DWORD oldClass = style_;
    style_ = after & ~(WS_VISIBLE | WS_DISABLED);
    if (oldClass != style_ && IsWindow()) {
        OnStyleChanged();
        Invalidate();
    }
    return true;
}

bool CWnd::ShowWindow(int command) {
    QWidget* top = TopWidget();
    if (!top) {
        return false;
    }
    const bool wasVisible = !top->isHidden();
    switch (command) {
    case SW_HIDE:
        top->hide();
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
        IsTopLevel() ? top->showMinimized() : top->show();
        break;
    case SW_SHOWMAXIMIZED:
        IsTopLevel() ? top->showMaximized() : top->show();
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        IsTopLevel() ? top->showNormal() : top->show();
        break;
    default:
        top->show();
        break;
    }
    return wasVisible;
}

bool CWnd::IsWindowVisible() const {
    QWidget* w = GetNative();
    return w && w->window()->isVisible() && w->isVisible();
}

bool CWnd::IsIconic() const {
    return IsTopLevel() && TopWidget()->isMinimized();
}

bool CWnd::EnableWindow(bool enable) {
    QWidget* top = TopWidget();
    if (!top) {
        return false;
    }
    const bool wasDisabled = top->testAttribute(Qt::WA_ForceDisabled);
    top->setEnabled(enable);
    return wasDisabled;
}

bool CWnd::IsWindowEnabled() const {
    QWidget* top = TopWidget();
    if (!top) {
        return false;
    }
    return !top->testAttribute(Qt::WA_ForceDisabled);
}

void CWnd::SetForegroundWindow() {
    if (QWidget* w = GetNative()) {
        w->window()->raise();
        w->window()->activateWindow();
    }
}

void CWnd::BringWindowToTop() {
    if (QWidget* top = TopWidget()) {
        top->raise();
    }
}

void CWnd::MoveWindow(int x, int y, int cx, int cy, bool repaint) {
    QWidget* w = GetNative();
    if (!w) {
        return;
    }
    if (IsTopLevel()) {
        QWidget* top = TopWidget();
        const QRect frame = top->frameGeometry();
        const QRect inner = top->geometry();
        top->move(x, y);
        top->resize(std::max(0, cx - (frame.width() - inner.width())),
                    std::max(0, cy - (frame.height() - inner.height())));
    } else {
        w->setGeometry(x, y, std::max(0, cx), std::max(0, cy));
    }
    if (repaint) {
        w->update();
    }
}

void CWnd::MoveWindow(const CRect& rect, bool repaint) {
    MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}

void CWnd::GetClientRect(CRect* rect) const {
    QWidget* w = GetNative();
    *rect = w ? CRect(0, 0, w->width(), w->height()) : CRect();
}

void CWnd::GetWindowRect(CRect* rect) const {
    QWidget* w = GetNative();
    if (!w) {
        *rect = CRect();
        return;
    }
    if (IsTopLevel()) {
        *rect = FromQRect(TopWidget()->frameGeometry());
        return;
    }
    const QPoint p = w->mapToGlobal(QPoint(0, 0));
    *rect = CRect(p.x(), p.y(), p.x() + w->width(), p.y() + w->height());
}

void CWnd::ScreenToClient(CPoint* point) const {
    if (QWidget* w = GetNative()) {
        const QPoint p = w->mapFromGlobal(QPoint(point->x, point->y));
        *point = CPoint(p.x(), p.y());
    }
}

void CWnd::ScreenToClient(CRect* rect) const {
    CPoint a = rect->TopLeft(), b = rect->BottomRight();
    ScreenToClient(&a);
    ScreenToClient(&b);
    *rect = CRect(a.x, a.y, b.x, b.y);
}

void CWnd::Invalidate(bool erase) {
    (void)erase;
    if (QWidget* w = GetNative()) {
        w->update();
    }
}

void CWnd::InvalidateRect(const CRect* rect, bool erase) {
    (void)erase;
    if (QWidget* w = GetNative()) {
        rect ? w->update(ToQRect(*rect)) : w->update();
    }
}

void CWnd::RedrawWindow() {
    if (QWidget* w = GetNative()) {
        w->repaint();
    }
}

void CWnd::SetFont(const CFont* font, bool redraw) {
    SetFont(font ? font->GetLogFont() : DefaultGuiFont(), redraw);
}

void CWnd::SetFont(const LOGFONT& font, bool redraw) {
    font_ = font;
    if (QWidget* w = GetNative()) {
        w->setFont(ToQFont(font));
        OnFontChanged();
        if (redraw) {
            w->update();
        }
    }
}

void CWnd::SetIcon(const CImage& icon, bool big) {
    (void)big;
    if (QWidget* w = GetNative(); w && !icon.IsNull()) {
        w->window()->setWindowIcon(QIcon(QPixmap::fromImage(icon.Image())));
    }
}

bool CWnd::EnableToolTips(bool enable) {
    (void)enable;
    return IsWindow();
}

CWnd* CWnd::SetFocus() {
    CWnd* previous = GetFocus();
    if (QWidget* w = GetNative()) {
        w->setFocus(Qt::OtherFocusReason);
    }
    return previous;
}

CWnd* CWnd::GetFocus() {
    return EventBridge::OwnerOfNearest(QApplication::focusWidget());
}

CWnd* CWnd::SetCapture() {
    CWnd* previous = std::exchange(g_capture, this);
    if (previous != nullptr && previous != this) {
        previous->OnCaptureChanged();
    }
    return previous;
}
void CWnd::ReleaseCapture() {
    if (CWnd* previous = std::exchange(g_capture, nullptr)) {
        previous->OnCaptureChanged();
    }
}
CWnd* CWnd::GetCapture() {
    return g_capture;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs) {
    QWidget* w = GetNative();
    if (!w || id == 0) {
        return 0;
    }
    QPointer<QTimer>& slot = impl_->timers[id];
    if (!slot) {
        slot = new QTimer(w);
        QObject::connect(slot.data(), &QTimer::timeout, slot.data(),
                         [this, id] { WindowProc(WM_TIMER, id, 0); });
    }
    slot->start(static_cast<int>(elapseMs));
    return id;
}

bool CWnd::KillTimer(UINT_PTR id) {
    auto it = impl_->timers.find(id);
    if (it == impl_->timers.end()) {
        return false;
    }
    const bool running = it->second && it->second->isActive();
    delete it->second.data();
    impl_->timers.erase(it);
    return running;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProc(message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    QWidget* w = GetNative();
    if (!w) {
        return false;
    }
    // The widget is the context: when it goes, the queued call goes with it.
    return QMetaObject::invokeMethod(
        w, [this, message, wParam, lParam] { WindowProc(message, wParam, lParam); },
        Qt::QueuedConnection);
}

int CWnd::MessageBox(const std::string& text, const std::string& caption, UINT type) {
    return ShowMessageBox(this, text, caption, type);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(static_cast<int>(LOWORD(wParam)),
                         static_cast<int>(static_cast<short>(HIWORD(wParam))))
                   ? 1
                   : 0;
    case WM_NOTIFY:
        return OnNotify(static_cast<int>(wParam), static_cast<int>(lParam)) ? 1 : 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wParam), HIWORD(wParam), FromLParam(lParam));
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    default:
        return 0;
    }
}

bool CWnd::OnCommand(int, int) {
    return false;
}
bool CWnd::OnNotify(int, int) {
    return false;
}
void CWnd::OnHScroll(UINT, UINT, CWnd*) {}
void CWnd::OnTimer(UINT_PTR) {}
bool CWnd::OnEraseBkgnd(CDC&) {
    return false;
}
bool CWnd::OnPaint(CDC&) {
    return false;
}
bool CWnd::OnLButtonDown(UINT, CPoint) {
    return false;
}
bool CWnd::OnLButtonUp(UINT, CPoint) {
    return false;
}
bool CWnd::OnLButtonDblClk(UINT, CPoint) {
    return false;
}
bool CWnd::OnMouseMove(UINT, CPoint) {
    return false;
}
bool CWnd::OnMButtonDown(UINT, CPoint) {
    return false;
}
bool CWnd::OnMButtonUp(UINT, CPoint) {
    return false;
}
bool CWnd::OnRButtonDown(UINT, CPoint) {
    return false;
}
bool CWnd::OnRButtonUp(UINT, CPoint) {
    return false;
}
bool CWnd::OnMouseWheel(UINT, short, CPoint) {
    return false;
}
bool CWnd::OnKeyDown(UINT, UINT, UINT) {
    return false;
}
void CWnd::OnSetFocus() {}
void CWnd::OnKillFocus() {}
void CWnd::OnCaptureChanged() {}
void CWnd::OnSize(int, int) {}
const CBrush* CWnd::CtlColor(CDC&, UINT) {
    return nullptr;
}
const CBrush* CWnd::OnCtlColor(CDC&, CWnd*, UINT) {
    return nullptr;
}

void CWnd::OnClose() {
    ShowWindow(SW_HIDE);
}

} // namespace win
