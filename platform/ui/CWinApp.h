// CWinApp: the application object. Run makes the Qt application (when there is
// none yet), calls InitInstance, and returns ExitInstance's code; a dialog
// application runs its main window with DoModal inside InitInstance.
#pragma once

#include "platform/ui/CWnd.h"

namespace win {

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual bool InitInstance() { return false; }
    virtual int ExitInstance() { return 0; }
    int Run(int& argc, char** argv);
};

// The window that owns dialogs and message boxes without an owner of their own.
CWnd* AfxGetMainWnd();
void AfxSetMainWnd(CWnd* wnd);

} // namespace win
