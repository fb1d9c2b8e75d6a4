// CEdit: a one-line edit field (ES_MULTILINE is not offered). Changes send
// WM_COMMAND (id, EN_CHANGE) to the parent; Enter and Escape go on to the dialog.
// The limit holds typing only, as on Windows: a longer text set by the program
// is shown whole, and nothing can be typed into it until it is shorter.
#pragma once

#include "platform/ui/CWnd.h"

namespace win {

class CEdit : public CWnd {
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, int id) {
        return CWnd::Create("", style, rect, parent, id);
    }
    // Characters the operator may type; 0 gives the platform's large default.
    void SetLimitText(int maxChars);
    void SetSel(int start, int end); // end -1: to the end of the text

protected:
    QWidget* CreateNative(QWidget* parent) override;
    void PreSubclassWindow() override;
    void SetNativeText(const std::string& text) override;
    std::string GetNativeText() const override;
    UINT ColorRequestKind() const override;

private:
    // The native field's own limit: the larger of the limit and the text.
    void FollowLimit();
    int limit_ = 0;
};

} // namespace win
