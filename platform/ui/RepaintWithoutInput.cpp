#include "platform/ui/RepaintWithoutInput.h"

#include "platform/ui/CWnd.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QWidget>

namespace win {

void RepaintWithoutInput() {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
}

void ShowTakingNoInput(CWnd& window) {
    QWidget* top = window.GetNative()->window();
    top->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    top->setAttribute(Qt::WA_TransparentForMouseEvents);
    top->setAttribute(Qt::WA_ShowWithoutActivating);
    window.ShowWindow(SW_SHOW);
}

} // namespace win
