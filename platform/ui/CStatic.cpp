#include "platform/ui/CStatic.h"

#include "platform/ui/CDC.h"
#include "platform/ui/QtConvert.h"

#include <QLabel>
#include <QPainter>

namespace win {

namespace {

// A label that frames itself while it has the focus.
class FocusLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!hasFocus()) {
            return;
        }
        QPainter painter(this);
        CDC dc(painter, DefaultGuiFont());
        dc.DrawFocusRect(CRect(0, 0, width(), height()));
    }
};

} // namespace

QWidget* CStatic::CreateNative(QWidget* parent) {
    const bool clickable = (GetStyle() & SS_NOTIFY) != 0;
    QLabel* label = clickable ? new FocusLabel(parent) : new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    if (clickable) {
        label->setFocusPolicy(Qt::StrongFocus);
    }
    return label;
}

void CStatic::PostClicked() {
    GetParent()->PostMessage(
        WM_COMMAND,
        MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), static_cast<unsigned>(STN_CLICKED)),
        ToLParam());
}

bool CStatic::OnKeyDown(UINT key, UINT, UINT) {
    if ((key != VK_RETURN && key != VK_SPACE) || !(GetStyle() & SS_NOTIFY) ||
        GetParent() == nullptr) {
        return false;
    }
    PostClicked();
    return true;
}

void CStatic::SetNativeText(const std::string& text) {
    if (auto* label = qobject_cast<QLabel*>(GetNative())) {
        label->setText(ToQString(text));
    }
}

bool CStatic::OnLButtonDown(UINT, CPoint) {
    if (!(GetStyle() & SS_NOTIFY) || GetParent() == nullptr) {
        return false;
    }
    PostClicked();
    return true;
}

UINT CStatic::ColorRequestKind() const {
    return CTLCOLOR_STATIC;
}

void CStatic::OnStyleChanged() {
    auto* label = qobject_cast<QLabel*>(GetNative());
    if (!label) {
        return;
    }
    const DWORD kind = GetStyle() & SS_TYPEMASK;
    Qt::Alignment align = Qt::AlignTop;
    align |= kind == SS_CENTER  ? Qt::AlignHCenter
             : kind == SS_RIGHT ? Qt::AlignRight
                                : Qt::AlignLeft;
    if (GetStyle() & SS_CENTERIMAGE) {
        align = (align & ~Qt::AlignTop) | Qt::AlignVCenter;
    }
    label->setAlignment(align);
    label->setWordWrap(kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT);
    if (kind == SS_BLACKFRAME) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
    } else if (kind == SS_ETCHEDFRAME) {
        label->setFrameStyle(QFrame::Box | QFrame::Sunken);
    } else if (GetStyle() & SS_SUNKEN) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    } else {
        label->setFrameStyle(QFrame::NoFrame);
    }
}

} // namespace win
