#include "platform/ui/CWaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace win {

namespace {
int g_depth = 0;
}

CWaitCursor::CWaitCursor() {
    ++g_depth;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

CWaitCursor::~CWaitCursor() {
    --g_depth;
    QApplication::restoreOverrideCursor();
}

bool CWaitCursor::Showing() {
    return g_depth > 0;
}

} // namespace win
