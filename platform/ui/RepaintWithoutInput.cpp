#include "platform/ui/RepaintWithoutInput.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace win {

void RepaintWithoutInput() {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
}

} // namespace win
