#include "platform/ui/CTabCtrl.h"

#include "platform/ui/CImageList.h"
#include "platform/ui/QtConvert.h"

#include <QIcon>
#include <QPixmap>
#include <QTabBar>

#include <algorithm>

namespace win {

namespace {
QTabBar* Bar(QWidget* w) {
    return qobject_cast<QTabBar*>(w);
}
} // namespace

QWidget* CTabCtrl::CreateNative(QWidget* parent) {
    auto* bar = new QTabBar(parent);
    bar->setShape((GetStyle() & TCS_BOTTOM) ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
    bar->setExpanding(false);
    bar->setDrawBase(false);
    bar->setUsesScrollButtons(false);
    return bar;
}

void CTabCtrl::PreSubclassWindow() {
    QTabBar* bar = Bar(GetNative());
    if (!bar) {
        return;
    }
    auto choose = [this](int index) {
        if (syncing_ || index < 0 || index == sel_) {
            return;
        }
        sel_ = index;
        SyncNative();
        if (CWnd* parent = GetParent()) {
            parent->SendMessage(WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID()), TCN_SELCHANGE);
        }
    };
    QObject::connect(bar, &QTabBar::tabBarClicked, bar, choose);
    QObject::connect(bar, &QTabBar::currentChanged, bar, choose);
}

void CTabCtrl::SyncNative() {
    QTabBar* bar = Bar(GetNative());
    if (!bar) {
        return;
    }
    syncing_ = true;
    if (sel_ >= 0 && sel_ < bar->count()) {
        bar->setCurrentIndex(sel_);
    }
    syncing_ = false;
    bar->update();
}

CImageList* CTabCtrl::SetImageList(CImageList* images) {
    CImageList* previous = images_;
    images_ = images;
    if (QTabBar* bar = Bar(GetNative())) {
        if (images_) {
            bar->setIconSize(QSize(images_->ImageWidth(), images_->ImageHeight()));
        }
        for (int i = 0; i < bar->count(); ++i) {
            const int image = GetItemImage(i);
            const CImage picture = images_ ? images_->GetImage(image) : CImage();
            bar->setTabIcon(i, picture.IsNull() ? QIcon()
                                                : QIcon(QPixmap::fromImage(picture.Image())));
        }
    }
    return previous;
}

int CTabCtrl::InsertItem(int index, const std::string& text, int image) {
    QTabBar* bar = Bar(GetNative());
    if (!bar || index < 0) {
        return -1;
    }
    const int at = std::min(index, bar->count());
    syncing_ = true;
    const CImage picture = images_ ? images_->GetImage(image) : CImage();
    const int got =
        picture.IsNull()
            ? bar->insertTab(at, ToQString(text))
            : bar->insertTab(at, QIcon(QPixmap::fromImage(picture.Image())), ToQString(text));
    bar->setTabData(got, image);
    syncing_ = false;
    if (bar->count() == 1) {
        sel_ = 0; // the first tab is selected
    } else if (sel_ >= got) {
        ++sel_;
    }
    SyncNative();
    return got;
}

bool CTabCtrl::DeleteItem(int index) {
    QTabBar* bar = Bar(GetNative());
    if (!bar || index < 0 || index >= bar->count()) {
        return false;
    }
    syncing_ = true;
    bar->removeTab(index);
    syncing_ = false;
    if (sel_ == index) {
        sel_ = -1; // no tab is selected after the selected one goes
    } else if (sel_ > index) {
        --sel_;
    }
    SyncNative();
    return true;
}

int CTabCtrl::GetItemCount() const {
    QTabBar* bar = Bar(GetNative());
    return bar ? bar->count() : 0;
}

std::string CTabCtrl::GetItemText(int index) const {
    QTabBar* bar = Bar(GetNative());
    if (!bar || index < 0 || index >= bar->count()) {
        return std::string();
    }
    return FromQString(bar->tabText(index));
}

int CTabCtrl::GetItemImage(int index) const {
    QTabBar* bar = Bar(GetNative());
    if (!bar || index < 0 || index >= bar->count()) {
        return -1;
    }
    const QVariant v = bar->tabData(index);
    return v.isValid() ? v.toInt() : -1;
}

int CTabCtrl::SetCurSel(int index) {
    QTabBar* bar = Bar(GetNative());
    if (!bar || index < 0 || index >= bar->count()) {
        return -1;
    }
    const int previous = sel_;
    sel_ = index;
    SyncNative();
    return previous;
}

bool CTabCtrl::GetItemRect(int index, CRect* rect) const {
    QTabBar* bar = Bar(GetNative());
    if (!bar || index < 0 || index >= bar->count()) {
        return false;
    }
    *rect = FromQRect(bar->tabRect(index));
    return true;
}

} // namespace win
