#include "platform/ui/CStatic.h"

#include "platform/ui/QtConvert.h"

#include <QLabel>

namespace win {

QWidget* CStatic::CreateNative(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
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
    GetParent()->PostMessage(
        WM_COMMAND,
        MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), static_cast<unsigned>(STN_CLICKED)),
        ToLParam());
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
