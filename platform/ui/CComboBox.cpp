#include "platform/ui/CComboBox.h"

#include "platform/ui/QtConvert.h"

#include <QComboBox>
#include <QTimer>

namespace win {

namespace {

// Knows whether its list is open, so that a choice from the list can be told
// from one made with the arrow keys.
class DropList : public QComboBox {
public:
    DropList(QWidget* parent, bool* open) : QComboBox(parent), open_(open) {}
    void showPopup() override {
        *open_ = true;
        QComboBox::showPopup();
    }
    void hidePopup() override {
        QComboBox::hidePopup();
        // The activation of a chosen item follows the hiding at once.
        QTimer::singleShot(0, this, [this] { *open_ = false; });
    }

private:
    bool* open_;
};

} // namespace

QWidget* CComboBox::CreateNative(QWidget* parent) {
    auto* combo = new DropList(parent, &listOpen_);
    combo->setEditable(false);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

void CComboBox::PreSubclassWindow() {
    auto* combo = qobject_cast<QComboBox*>(GetNative());
    if (!combo) {
        return;
    }
    QObject::connect(combo, &QComboBox::activated, combo, [this](int) {
        CWnd* parent = GetParent();
        if (!parent) {
            return;
        }
        const bool fromList = listOpen_;
        const auto id = static_cast<unsigned>(GetDlgCtrlID());
        parent->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), ToLParam());
        if (fromList) {
            parent->SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), ToLParam());
        }
    });
}

int CComboBox::AddString(const std::string& text) {
    auto* combo = qobject_cast<QComboBox*>(GetNative());
    if (!combo) {
        return CB_ERR;
    }
    combo->addItem(ToQString(text));
    if (combo->count() == 1) {
        combo->setCurrentIndex(-1); // nothing is selected until someone chooses
    }
    return combo->count() - 1;
}

int CComboBox::GetCurSel() const {
    auto* combo = qobject_cast<QComboBox*>(GetNative());
    return combo && combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int index) {
    auto* combo = qobject_cast<QComboBox*>(GetNative());
    if (!combo) {
        return CB_ERR;
    }
    if (index < 0 || index >= combo->count()) {
        combo->setCurrentIndex(-1);
        return CB_ERR;
    }
    combo->setCurrentIndex(index);
    return index;
}

std::string CComboBox::GetLBText(int index) const {
    auto* combo = qobject_cast<QComboBox*>(GetNative());
    if (!combo || index < 0 || index >= combo->count()) {
        return std::string();
    }
    return FromQString(combo->itemText(index));
}

} // namespace win
