#include "platform/ui/CWinApp.h"

#include <QApplication>

#include <memory>

namespace win {

namespace {
CWnd* g_mainWnd = nullptr;
} // namespace

CWinApp::CWinApp() = default;
CWinApp::~CWinApp() = default;

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

CWnd* AfxGetMainWnd() {
    return g_mainWnd;
}
void AfxSetMainWnd(CWnd* wnd) {
    g_mainWnd = wnd;
}

} // namespace win
