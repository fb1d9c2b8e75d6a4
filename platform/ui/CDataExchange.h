// Binding of a dialog's member controls to the controls of its template:
// DoDataExchange calls DDX_Control(dx, id, member) for each member, and the
// dialog then creates that template control as the member.
#pragma once

#include <utility>
#include <vector>

namespace win {

class CDialogEx;
class CWnd;

class CDataExchange {
public:
    explicit CDataExchange(CDialogEx* dialog) : m_pDlgWnd(dialog) {}
    bool m_bSaveAndValidate = false;
    CDialogEx* m_pDlgWnd;
    std::vector<std::pair<int, CWnd*>> bindings;
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);

} // namespace win
