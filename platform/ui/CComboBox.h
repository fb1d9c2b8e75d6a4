// CComboBox: a drop-down list (no typing). A choice made by the operator sends
// WM_COMMAND (id, CBN_SELCHANGE); a choice taken from the opened list also
// sends (id, CBN_SELENDOK). SetCurSel sends nothing.
#pragma once

#include "platform/ui/CWnd.h"

namespace win {

inline constexpr int CB_ERR = -1;

class CComboBox : public CWnd {
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, int id) {
        return CWnd::Create("", style, rect, parent, id);
    }
    int AddString(const std::string& text); // index of the new item, CB_ERR without a window
    int GetCurSel() const;                  // CB_ERR when nothing is selected
    int SetCurSel(int index);               // -1 clears; CB_ERR for a bad index
    std::string GetLBText(int index) const;

protected:
    QWidget* CreateNative(QWidget* parent) override;
    void PreSubclassWindow() override;

private:
    bool listOpen_ = false;
};

} // namespace win
