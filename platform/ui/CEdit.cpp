#include "platform/ui/CEdit.h"

#include "platform/ui/QtConvert.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace win {

namespace {
constexpr int kDefaultLimit = 30000;
constexpr int kLargeLimit = 0x7FFFFFFE;
} // namespace

QWidget* CEdit::CreateNative(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setMaxLength(kDefaultLimit);
    const DWORD style = GetStyle();
    edit->setAlignment((style & ES_CENTER)  ? Qt::AlignHCenter
                       : (style & ES_RIGHT) ? Qt::AlignRight
                                            : Qt::AlignLeft);
    edit->setReadOnly((style & ES_READONLY) != 0);
    edit->setFrame((GetExStyle() & WS_EX_CLIENTEDGE) != 0 || (style & WS_BORDER) != 0);
    if (style & ES_NUMBER) {
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

void CEdit::PreSubclassWindow() {
    auto* edit = qobject_cast<QLineEdit*>(GetNative());
    if (!edit) {
        return;
    }
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this] {
        FollowLimit();
        if (CWnd* parent = GetParent()) {
            parent->SendMessage(
                WM_COMMAND,
                MAKEWPARAM(static_cast<unsigned>(GetDlgCtrlID()), static_cast<unsigned>(EN_CHANGE)),
                ToLParam());
        }
    });
}

void CEdit::SetNativeText(const std::string& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(GetNative())) {
        const QString whole = ToQString(text);
        // Raised first: Qt would cut the text to the limit.
        edit->setMaxLength(std::max(edit->maxLength(), static_cast<int>(whole.size())));
        edit->setText(whole);
        FollowLimit();
    }
}

void CEdit::FollowLimit() {
    auto* edit = qobject_cast<QLineEdit*>(GetNative());
    if (!edit) {
        return;
    }
    const int limit = limit_ > 0 ? limit_ : kDefaultLimit;
    edit->setMaxLength(std::max(limit, static_cast<int>(edit->text().size())));
}

std::string CEdit::GetNativeText() const {
    auto* edit = qobject_cast<QLineEdit*>(GetNative());
    return edit ? FromQString(edit->text()) : std::string();
}

UINT CEdit::ColorRequestKind() const {
    const bool readOnly = (GetStyle() & ES_READONLY) || (GetStyle() & WS_DISABLED);
    return readOnly ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
}

void CEdit::SetLimitText(int maxChars) {
    limit_ = maxChars > 0 ? maxChars : kLargeLimit;
    FollowLimit();
}

void CEdit::SetSel(int start, int end) {
    auto* edit = qobject_cast<QLineEdit*>(GetNative());
    if (!edit) {
        return;
    }
    const int length = static_cast<int>(edit->text().size());
    if (end < 0 || end > length) {
        end = length;
    }
    if (start < 0) {
        edit->deselect();
        return;
    }
    edit->setSelection(start, end - start);
}

} // namespace win
