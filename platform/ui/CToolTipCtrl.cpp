#include "platform/ui/CToolTipCtrl.h"

#include "platform/ui/QtConvert.h"

#include <QWidget>

namespace win {

bool CToolTipCtrl::Create(CWnd* owner, DWORD style) {
    if (!owner || !owner->IsWindow()) {
        return false;
    }
    owner_ = owner;
    style_ = style;
    return true;
}

void CToolTipCtrl::Apply(CWnd* tool) const {
    QWidget* w = tool ? tool->GetNative() : nullptr;
    if (!w) {
        return;
    }
    const auto it = tips_.find(tool);
    w->setToolTip(active_ && it != tips_.end() ? ToQString(it->second) : QString());
}

bool CToolTipCtrl::AddTool(CWnd* tool, const std::string& text) {
    if (!owner_ || !tool) {
        return false;
    }
    tips_[tool] = text;
    Apply(tool);
    return true;
}

void CToolTipCtrl::UpdateTipText(const std::string& text, CWnd* tool) {
    if (tips_.count(tool)) {
        AddTool(tool, text);
    }
}

void CToolTipCtrl::DelTool(CWnd* tool) {
    if (tips_.erase(tool) && tool && tool->GetNative()) {
        tool->GetNative()->setToolTip(QString());
    }
}

void CToolTipCtrl::Activate(bool active) {
    active_ = active;
    for (auto& [tool, text] : tips_) {
        Apply(tool);
    }
}

bool CToolTipCtrl::GetText(std::string& text, const CWnd* tool) const {
    const auto it = tips_.find(const_cast<CWnd*>(tool));
    if (it == tips_.end()) {
        return false;
    }
    text = it->second;
    return true;
}

} // namespace win
