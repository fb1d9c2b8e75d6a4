#include "platform/ui/CSliderCtrl.h"

#include <QSignalBlocker>
#include <QSlider>

#include <algorithm>

namespace win {

QWidget* CSliderCtrl::CreateNative(QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setFocusPolicy(Qt::StrongFocus);
    return slider;
}

void CSliderCtrl::PreSubclassWindow() {
    auto* slider = qobject_cast<QSlider*>(GetNative());
    if (!slider) {
        return;
    }
    PushToNative();
    QObject::connect(slider, &QSlider::valueChanged, slider, [this, slider](int value) {
        pos_ = value;
        const int code = slider->isSliderDown() ? SB_THUMBTRACK : SB_THUMBPOSITION;
        if (CWnd* parent = GetParent()) {
            parent->SendMessage(
                WM_HSCROLL, MAKEWPARAM(static_cast<unsigned>(code), static_cast<unsigned>(value)),
                ToLParam());
        }
    });
}

void CSliderCtrl::PushToNative() {
    if (auto* slider = qobject_cast<QSlider*>(GetNative())) {
        const QSignalBlocker block(slider);
        slider->setRange(min_, std::max(min_, max_));
        slider->setValue(pos_);
    }
}

void CSliderCtrl::SetRange(int minimum, int maximum, bool redraw) {
    min_ = minimum;
    max_ = maximum;
    pos_ = std::clamp(pos_, min_, std::max(min_, max_));
    PushToNative();
    if (redraw) {
        Invalidate();
    }
}

void CSliderCtrl::SetPos(int position) {
    pos_ = std::clamp(position, min_, std::max(min_, max_));
    PushToNative();
    Invalidate();
}

} // namespace win
