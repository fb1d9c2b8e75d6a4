#include "platform/ui/CDialogEx.h"

#include "platform/ui/CButton.h"
#include "platform/ui/CColorButton.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CIPAddressCtrl.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CSliderCtrl.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/CTabCtrl.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/DialogHandlers.h"
#include "platform/ui/EventBridge.h"
#include "platform/ui/QtConvert.h"
#include "platform/ui/TabOrder.h"

#include <QApplication>
#include <QEventLoop>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <map>

namespace win {

struct CDialogEx::Loop {
    QEventLoop* loop = nullptr;
    QPointer<QWidget> frame; // top-level holding the menu bar and the client
    QPointer<QMenuBar> bar;
};

namespace {

// The modal dialogs running now, innermost last: each top-level window and
// the window it was opened over.
struct RunningModal {
    QPointer<QWidget> top;
    QPointer<QWidget> owner;
};
std::vector<RunningModal>& RunningModals() {
    static std::vector<RunningModal> running;
    return running;
}

std::unique_ptr<CWnd> MakeControl(ControlKind kind) {
    switch (kind) {
    case ControlKind::Static:
        return std::make_unique<CStatic>();
    case ControlKind::Button:
        return std::make_unique<CButton>();
    case ControlKind::Edit:
        return std::make_unique<CEdit>();
    case ControlKind::Slider:
        return std::make_unique<CSliderCtrl>();
    case ControlKind::Tab:
        return std::make_unique<CTabCtrl>();
    case ControlKind::IpAddress:
        return std::make_unique<CIPAddressCtrl>();
    case ControlKind::ColorButton:
        return std::make_unique<CColorButton>();
    }
    return std::make_unique<CStatic>();
}

Qt::WindowFlags FlagsFor(DWORD style) {
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if (style & WS_CAPTION) {
        flags |= Qt::WindowTitleHint;
    }
    if (style & WS_SYSMENU) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    if (style & WS_GROUP) { // WS_MINIMIZEBOX for top-level windows
        flags |= Qt::WindowMinimizeButtonHint;
    }
    return flags;
}

void CentreOver(QWidget* window, QWidget* owner) {
    QRect area;
    if (owner) {
        area = owner->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isValid()) {
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

bool IsPushButton(const CWnd* w) {
    const auto* b = dynamic_cast<const CButton*>(w);
    if (!b) {
        return false;
    }
    const UINT kind = b->GetButtonStyle();
    return kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON || kind == BS_OWNERDRAW;
}

} // namespace

CDialogEx::CDialogEx(DialogTemplate dialogTemplate, CWnd* parent)
    : template_(std::move(dialogTemplate)), parentWnd_(parent), loop_(std::make_unique<Loop>()) {}

CDialogEx::~CDialogEx() {
    DropWindow();
}

QWidget* CDialogEx::CreateNative(QWidget* parent) {
    auto* w = new QWidget(parent, parent ? Qt::Widget : FlagsFor(template_.style));
    return w;
}

void CDialogEx::DropWindow() {
    ownedControls_.clear();
    QPointer<QWidget> frame = loop_->frame;
    DestroyNow();
    delete frame.data();
}

bool CDialogEx::Build(CWnd* parent, bool child) {
    DropWindow();
    const LOGFONT font = FontFromPoints(template_.fontFace, template_.fontPoints);
    units_ = DialogUnits::ForFont(font);
    const DWORD style = (template_.style & ~WS_VISIBLE) | (child ? WS_CHILD : WS_POPUP);
    CRect rect = child ? units_.ToPixels(template_.x, template_.y, template_.cx, template_.cy)
                       : CRect(0, 0, units_.X(template_.cx), units_.Y(template_.cy));
    if (!CWnd::Create(template_.caption, child ? style : (style & ~WS_CHILD), rect, parent, 0)) {
        return false;
    }
    if (!child) {
        GetNative()->resize(rect.Width(), rect.Height());
    }
    SetFont(font, false);
    if (!child && menu_) {
        RebuildMenuBar();
    }
    CreateControls();
    return true;
}

void CDialogEx::CreateControls() {
    CDataExchange dx(this);
    DoDataExchange(&dx);
    std::map<int, CWnd*> bound;
    for (const auto& [id, control] : dx.bindings) {
        bound.emplace(id, control);
    }
    for (const DialogItem& item : template_.items) {
        const CRect r = units_.ToPixels(item.x, item.y, item.cx, item.cy);
        CWnd* target = nullptr;
        if (auto it = bound.find(item.id); it != bound.end() && !it->second->IsWindow()) {
            target = it->second;
        }
        if (!target) {
            ownedControls_.push_back(MakeControl(item.kind));
            target = ownedControls_.back().get();
        }
        target->Create(item.text, item.style | WS_CHILD, r, this, item.id, item.exStyle);
    }
}

QWidget* CDialogEx::OwnerFor(QWidget* window) {
    for (bool moved = true; window != nullptr && moved;) {
        moved = false;
        for (const RunningModal& m : RunningModals()) {
            if (m.owner == window && m.top != nullptr && m.top->isVisible()) {
                window = m.top;
                moved = true;
                break;
            }
        }
    }
    return window;
}

INT_PTR CDialogEx::DoModal() {
    CWnd* owner = parentWnd_ ? parentWnd_ : AfxGetMainWnd();
    if (owner == this) {
        owner = nullptr;
    }
    QPointer<QWidget> ownerTop =
        OwnerFor(owner && owner->GetNative() ? owner->GetNative()->window() : nullptr);
    if (!Build(owner, false)) {
        return -1;
    }
    QWidget* top = TopWidget();
    if (ownerTop) {
        top->winId();
        ownerTop->winId();
        if (top->windowHandle() && ownerTop->windowHandle()) {
            top->windowHandle()->setTransientParent(ownerTop->windowHandle());
        }
    }
    CentreOver(top, ownerTop);
    modal_ = true;
    ending_ = false;
    result_ = 0;
    const bool focusFirst = OnInitDialog();
    const std::vector<CWnd*> stops = ArrangeTabOrder(*this);
    // Only the owner is disabled; every other window stays usable.
    const bool disableOwner = ownerTop && ownerTop->isEnabled();
    if (disableOwner) {
        ownerTop->setEnabled(false);
    }
    if (!ending_) {
        top->show();
        top->raise();
        top->activateWindow();
        if (focusFirst) {
            for (CWnd* c : stops) {
                if ((c->GetStyle() & WS_TABSTOP) && c->IsWindowVisible() && c->IsWindowEnabled()) {
                    c->SetFocus();
                    break;
                }
            }
        }
        QEventLoop loop;
        loop_->loop = &loop;
        RunningModals().push_back({top, ownerTop});
        loop.exec(QEventLoop::DialogExec);
        auto& running = RunningModals();
        running.erase(std::remove_if(running.begin(), running.end(),
                                     [&](const RunningModal& m) { return m.top == top; }),
                      running.end());
        loop_->loop = nullptr;
    }
    if (disableOwner && ownerTop) {
        ownerTop->setEnabled(true);
    }
    if (TopWidget()) {
        TopWidget()->hide();
    }
    if (ownerTop && ownerTop->isVisible()) {
        ownerTop->activateWindow();
    }
    modal_ = false;
    const int result = result_;
    DropWindow();
    return result;
}

bool CDialogEx::Create(CWnd* parent) {
    const bool child = (template_.style & WS_CHILD) != 0;
    if (child && (!parent || !parent->IsWindow())) {
        return false;
    }
    if (!Build(parent, child)) {
        return false;
    }
    if (!child) {
        CentreOver(TopWidget(), nullptr);
    }
    modal_ = false;
    ending_ = false;
    OnInitDialog();
    ArrangeTabOrder(*this);
    if (template_.style & WS_VISIBLE) {
        ShowWindow(SW_SHOW);
    }
    return true;
}

void CDialogEx::EndDialog(int result) {
    result_ = result;
    ending_ = true;
    if (modal_) {
        if (loop_->loop) {
            loop_->loop->exit(result);
        }
    } else {
        ShowWindow(SW_HIDE);
    }
}

bool CDialogEx::OnInitDialog() {
    return true;
}
void CDialogEx::DoDataExchange(CDataExchange*) {}
void CDialogEx::OnOK() {
    EndDialog(IDOK);
}
void CDialogEx::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialogEx::MapDialogRect(CRect* rect) const {
    *rect = units_.ToPixels(rect->left, rect->top, rect->Width(), rect->Height());
}

bool CDialogEx::SetMenu(CMenu* menu) {
    menu_ = menu;
    if (IsWindow() && IsTopLevel()) {
        RebuildMenuBar();
    }
    return true;
}

void CDialogEx::RebuildMenuBar() {
    QWidget* client = GetNative();
    if (!client || (client->isWindow() && !menu_)) {
        return;
    }
    if (!loop_->frame) {
        // The menu bar sits above the client area in a frame of its own.
        const bool shown = client->isVisible();
        const QString title = client->windowTitle();
        auto* frame = new QWidget(nullptr, FlagsFor(template_.style));
        frame->setWindowTitle(title);
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto* bar = new QMenuBar(frame);
        layout->setMenuBar(bar);
        // F10 opens the first menu, as on Windows; Alt with a menu's
        // underlined letter is the menu bar's own.
        auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), frame);
        QObject::connect(f10, &QShortcut::activated, bar, [bar] {
            for (QAction* menu : bar->actions()) {
                if (menu->isEnabled() && menu->isVisible() && !menu->isSeparator()) {
                    bar->setActiveAction(menu);
                    return;
                }
            }
        });
        const QSize size = client->size();
        client->setParent(frame, Qt::Widget);
        client->setFixedSize(size);
        layout->addWidget(client);
        client->show();
        loop_->frame = frame;
        loop_->bar = bar;
        AdoptFrame(frame);
        if (shown) {
            frame->show();
        }
    }
    QMenuBar* bar = loop_->bar;
    bar->clear();
    if (!menu_) {
        return;
    }
    std::function<void(QWidget*, const CMenu&)> fill = [&](QWidget* into, const CMenu& menu) {
        for (const CMenu::Entry& e : menu.Entries()) {
            if (e.separator) {
                if (auto* m = qobject_cast<QMenu*>(into)) {
                    m->addSeparator();
                }
                continue;
            }
            if (e.popup) {
                QMenu* sub = qobject_cast<QMenuBar*>(into)
                                 ? static_cast<QMenuBar*>(into)->addMenu(ToQString(e.text))
                                 : static_cast<QMenu*>(into)->addMenu(ToQString(e.text));
                fill(sub, *e.popup);
                continue;
            }
            QAction* action = new QAction(ToQString(e.text), into);
            const UINT id = e.id;
            QObject::connect(action, &QAction::triggered, action,
                             [this, id] { PostMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); });
            into->addAction(action);
        }
    };
    fill(bar, *menu_);
}

bool CDialogEx::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

bool CDialogEx::OnKeyDown(UINT key, UINT, UINT) {
    if (!IsTopLevel()) {
        return false; // panes leave Enter and Escape to their window
    }
    if (key == VK_ESCAPE) {
        SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    if (key != VK_RETURN) {
        return false;
    }
    CWnd* focus = GetFocus();
    int id = IDOK;
    if (focus && focus != this && IsPushButton(focus) && focus->IsWindowEnabled()) {
        id = focus->GetDlgCtrlID();
    } else {
        for (const DialogItem& item : template_.items) {
            if (item.kind == ControlKind::Button &&
                (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                id = item.id;
                break;
            }
        }
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED), 0);
    return true;
}

bool CDialogEx::OnEraseBkgnd(CDC& dc) {
    const CBrush* brush = OnCtlColor(dc, this, CTLCOLOR_DLG);
    CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(r, brush && !brush->IsHollow() ? brush->Colour() : GetSysColor(COLOR_BTNFACE));
    return true;
}

bool CDialogEx::OnPaint(CDC& dc) {
    if (handlers_) {
        handlers_->PaintDialog(dc);
    }
    return true;
}

void CDialogEx::OnTimer(UINT_PTR id) {
    if (handlers_) {
        handlers_->DialogTimer(id);
    }
}

const CBrush* CDialogEx::OnCtlColor(CDC& dc, CWnd* wnd, UINT kind) {
    return handlers_ ? handlers_->AnswerCtlColor(dc, wnd, kind) : nullptr;
}

void CDialogEx::OnClose() {
    SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

} // namespace win
