#include "platform/ui/CButton.h"

#include "platform/ui/CDC.h"
#include "platform/ui/QtConvert.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace win {

namespace {

enum class Family { Push, Check, Radio, Group };

Family FamilyOf(DWORD style) {
    const DWORD kind = style & BS_TYPEMASK;
    if (style & BS_PUSHLIKE) {
        return Family::Push;
    }
    switch (kind) {
    case 2: // BS_CHECKBOX
    case BS_AUTOCHECKBOX:
    case 5: // BS_3STATE
    case 6: // BS_AUTO3STATE
        return Family::Check;
    case 4: // BS_RADIOBUTTON
    case BS_AUTORADIOBUTTON:
        return Family::Radio;
    case BS_GROUPBOX:
        return Family::Group;
    default:
        return Family::Push;
    }
}

// A platform push button draws a dotted rectangle inside its edge while it
// has the focus, as on Windows; Qt's styles mark it faintly or only after
// Tab, which on a dark window cannot be seen. An owner-drawn button paints
// itself (its paint event never gets here) and draws its own mark.
class PushButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus()) {
            return;
        }
        QPainter painter(this);
        CDC dc(painter, DefaultGuiFont());
        dc.DrawFocusRect(
            CRect(kFocusInset, kFocusInset, width() - kFocusInset, height() - kFocusInset));
    }

private:
    static constexpr int kFocusInset = 3;
};

// Check boxes and radio buttons frame their whole face while they have the
// focus, for the same reason.
template <class Base> class MarkedButton : public Base {
public:
    using Base::Base;

protected:
    void paintEvent(QPaintEvent* event) override {
        Base::paintEvent(event);
        if (!this->hasFocus()) {
            return;
        }
        QPainter painter(this);
        CDC dc(painter, DefaultGuiFont());
        dc.DrawFocusRect(CRect(0, 0, this->width(), this->height()));
    }
};

} // namespace

QWidget* CButton::CreateNative(QWidget* parent) {
    switch (FamilyOf(GetStyle())) {
    case Family::Check:
        return new MarkedButton<QCheckBox>(parent);
    case Family::Radio: {
        auto* radio = new MarkedButton<QRadioButton>(parent);
        radio->setAutoExclusive(false); // groups follow WS_GROUP, see ClearGroupSiblings
        return radio;
    }
    case Family::Group:
        return new QGroupBox(parent);
    case Family::Push:
    default: {
        auto* push = new PushButton(parent);
        push->setAutoDefault(false);
        if (GetStyle() & BS_PUSHLIKE) {
            push->setCheckable(true);
        }
        return push;
    }
    }
}

void CButton::PreSubclassWindow() {
    auto* button = qobject_cast<QAbstractButton*>(GetNative());
    if (!button) {
        return;
    }
    QObject::connect(button, &QAbstractButton::clicked, button, [this] {
        if (FamilyOf(GetStyle()) == Family::Radio) {
            if (auto* b = qobject_cast<QAbstractButton*>(GetNative())) {
                b->setChecked(true); // a click never clears a radio button
            }
            if ((GetStyle() & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
                ClearGroupSiblings();
            }
        }
        OnClicked();
    });
}

void CButton::OnClicked() {
    if (CWnd* parent = GetParent()) {
        parent->SendMessage(
            WM_COMMAND,
            MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), static_cast<unsigned>(BN_CLICKED)),
            ToLParam());
    }
}

void CButton::ClearGroupSiblings() {
    CWnd* parent = GetParent();
    if (!parent) {
        return;
    }
    // The group runs from a window with WS_GROUP up to the next one with it.
    const std::vector<CWnd*> siblings = parent->GetChildren();
    std::size_t start = 0, self = 0;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i] == this) {
            self = i;
            break;
        }
        if (siblings[i]->GetStyle() & WS_GROUP) {
            start = i;
        }
    }
    if (GetStyle() & WS_GROUP) {
        start = self;
    }
    for (std::size_t i = start; i < siblings.size(); ++i) {
        if (i > start && (siblings[i]->GetStyle() & WS_GROUP)) {
            break;
        }
        auto* other = dynamic_cast<CButton*>(siblings[i]);
        if (other && other != this && FamilyOf(other->GetStyle()) == Family::Radio) {
            other->SetCheck(BST_UNCHECKED);
        }
    }
}

void CButton::SetNativeText(const std::string& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(GetNative())) {
        button->setText(ToQString(text));
    } else if (auto* group = qobject_cast<QGroupBox*>(GetNative())) {
        group->setTitle(ToQString(text));
    }
}

int CButton::GetCheck() const {
    auto* button = qobject_cast<QAbstractButton*>(GetNative());
    return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int check) {
    auto* button = qobject_cast<QAbstractButton*>(GetNative());
    if (button && button->isCheckable()) {
        button->setChecked(check == BST_CHECKED);
    }
}

void CButton::SetButtonStyle(UINT style, bool redraw) {
    ModifyStyle(BS_TYPEMASK, style & BS_TYPEMASK);
    if (redraw) {
        Invalidate();
    }
}

bool CButton::IsPressed() const {
    auto* button = qobject_cast<QAbstractButton*>(GetNative());
    return button && button->isDown();
}

void CButton::Click() {
    if (auto* button = qobject_cast<QAbstractButton*>(GetNative())) {
        button->click();
    }
}

void CButton::DrawItem(const DRAWITEMSTRUCT&) {}

void CButton::OnStyleChanged() {}

UINT CButton::ColorRequestKind() const {
    const Family f = FamilyOf(GetStyle());
    return f == Family::Push ? 0 : CTLCOLOR_STATIC;
}

void CButton::PaintGroupBox(CDC& dc) {
    // An etched frame around a hollow inside, the caption on the frame's top
    // line in the colours of the colour answer.
    CDC answer(GetFont());
    const CBrush* brush = CtlColor(answer, CTLCOLOR_STATIC);
    if (!brush && GetParent()) {
        brush = GetParent()->OnCtlColor(answer, this, CTLCOLOR_STATIC);
    }
    CRect client;
    GetClientRect(&client);
    const std::string caption = GetWindowText();
    const CSize text = dc.GetTextExtent(caption.empty() ? "X" : caption);
    const int top = text.cy / 2;
    CPen shadow(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    CPen light(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    CBrush hollow = CBrush::Hollow();
    dc.SelectObject(&hollow);
    dc.SelectObject(&light);
    dc.Rectangle(client.left + 1, top + 1, client.right, client.bottom);
    dc.SelectObject(&shadow);
    dc.Rectangle(client.left, top, client.right - 1, client.bottom - 1);
    dc.SelectObject(static_cast<CPen*>(nullptr));
    dc.SelectObject(static_cast<CBrush*>(nullptr));
    if (caption.empty()) {
        return;
    }
    CRect r(8, 0, 8 + text.cx + 4, text.cy);
    if (brush && !brush->IsHollow()) {
        dc.FillSolidRect(r, brush->Colour());
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(brush ? answer.GetTextColor() : GetSysColor(COLOR_BTNTEXT));
    if (!IsWindowEnabled()) {
        dc.SetTextColor(GetSysColor(COLOR_GRAYTEXT));
    }
    r.left += 2;
    dc.DrawText(caption, r, DT_LEFT | DT_SINGLELINE);
}

bool CButton::OnPaint(CDC& dc) {
    if (FamilyOf(GetStyle()) == Family::Group) {
        PaintGroupBox(dc);
        return true;
    }
    if ((GetStyle() & BS_TYPEMASK) != BS_OWNERDRAW) {
        return false;
    }
    QWidget* w = GetNative();
    DRAWITEMSTRUCT item;
    item.CtlID = GetDlgCtrlID();
    item.itemState = (IsPressed() ? ODS_SELECTED : 0) | (w->hasFocus() ? ODS_FOCUS : 0) |
                     (w->isEnabled() ? 0 : ODS_DISABLED);
    item.pDC = &dc;
    GetClientRect(&item.rcItem);
    item.hwndItem = this;
    DrawItem(item);
    return true;
}

} // namespace win
