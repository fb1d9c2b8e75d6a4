#include "platform/ui/CWinApp.h"

#include <QApplication>

#include <memory>

namespace win {

namespace {
CWinApp* g_app = nullptr;
CWnd* g_mainWnd = nullptr;
} // namespace

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

int CWinApp::Run(int& argc, char** argv) {
    std::unique_ptr<QApplication> owned;
    if (!QApplication::instance()) {
        owned = std::make_unique<QApplication>(argc, argv);
    }
    // Windows hide rather than close; the main dialog's end ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    InitInstance();
    return ExitInstance();
}

CWinApp* AfxGetApp() {
    return g_app;
}
CWnd* AfxGetMainWnd() {
    return g_mainWnd;
}
void AfxSetMainWnd(CWnd* wnd) {
    g_mainWnd = wnd;
}

} // namespace win
