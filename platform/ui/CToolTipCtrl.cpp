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

bool CToolTipCtrl::AddTool(CWnd* tool, const std::string& text) {
    if (!owner_ || !tool) {
        return false;
    }
    tips_[tool] = text;
    if (QWidget* w = tool->GetNative()) {
        w->setToolTip(ToQString(text));
    }
    return true;
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
