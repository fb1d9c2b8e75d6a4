// CDialogEx: a dialog built from a template (see DialogTemplate.h).
//
// Declaring a dialog:
//   class MyDlg : public win::CDialogEx, public Dlgplus {
//       Staticplus value_;                      // bound to template id 1001
//       void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 1001, value_); }
//       bool OnInitDialog() override { CDialogEx::OnInitDialog(); ...; return true; }
//   };
// OnInitDialog of the base creates the window's controls in template order:
// a control bound by DDX_Control is created as that member, the others as
// platform controls of their kind owned by the dialog (GetDlgItem finds both).
//
// Modality as on Windows: DoModal disables only the owner window (the parent
// given, else the main window) while it runs and returns the id of the
// closing command (IDOK 1, IDCANCEL 2; -1 when the window cannot be made).
// Other top-level windows, such as modeless windows made with Create, stay
// usable. Once OnInitDialog has placed the controls, Tab visits them in
// reading order (TabOrder.h), and a modal dialog whose OnInitDialog returns
// true gives the focus to the first of them. Enter sends IDOK (or the command of the focused push
// button), Escape and the close box send IDCANCEL. EndDialog on a modeless dialog hides it. Each
// DoModal builds the window afresh and destroys it at the end.
#pragma once

#include "platform/ui/CWnd.h"
#include "platform/ui/DialogTemplate.h"

#include <memory>
#include <vector>

namespace win {

class CDataExchange;
class DialogHandlers;

class CDialogEx : public CWnd {
public:
    explicit CDialogEx(DialogTemplate dialogTemplate, CWnd* parent = nullptr);
    ~CDialogEx() override;

    INT_PTR DoModal();
    // Modeless: a child pane when the template has WS_CHILD (inside `parent`),
    // otherwise a top-level window owned by nobody. Shown when the template
    // has WS_VISIBLE.
    bool Create(CWnd* parent = nullptr);
    void EndDialog(int result);
    // The owner for the next DoModal (the parent for Create).
    void SetParentWindow(CWnd* parent) { parentWnd_ = parent; }
    // The window a box or dialog asked for over `window` belongs to: while a
    // modal dialog runs over `window` (which it disabled), the innermost such
    // dialog, as Windows gives a box the owner's last active popup; else
    // `window` itself. A box owned this way stays above the dialog, and the
    // dialog gets the focus back when the box closes.
    static QWidget* OwnerFor(QWidget* window);

    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual void OnOK();
    virtual void OnCancel();

    const DialogTemplate& Template() const { return template_; }
    const DialogUnits& Units() const { return units_; }
    // Dialog units to client pixels.
    void MapDialogRect(CRect* rect) const;

    // The menu shown above the client area (nullptr removes it); the dialog
    // keeps the pointer, the caller keeps the menu.
    bool SetMenu(CMenu* menu);

    void SetDialogHandlers(DialogHandlers* handlers) { handlers_ = handlers; }
    DialogHandlers* GetDialogHandlers() const { return handlers_; }

    bool OnCommand(int id, int code) override;
    bool OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    bool OnEraseBkgnd(CDC& dc) override;
    bool OnPaint(CDC& dc) override;
    void OnTimer(UINT_PTR id) override;
    const CBrush* OnCtlColor(CDC& dc, CWnd* wnd, UINT kind) override;
    void OnClose() override;

protected:
    QWidget* CreateNative(QWidget* parent) override;

private:
    bool Build(CWnd* parent, bool child);
    void CreateControls();
    void RebuildMenuBar();
    void DropWindow();

    DialogTemplate template_;
    CWnd* parentWnd_;
    DialogUnits units_;
    DialogHandlers* handlers_ = nullptr;
    CMenu* menu_ = nullptr;
    bool modal_ = false;
    bool ending_ = false;
    int result_ = 0;
    std::vector<std::unique_ptr<CWnd>> ownedControls_;
    struct Loop;
    std::unique_ptr<Loop> loop_;
};

} // namespace win
