#include "app/startup/CTM80_AppApp.h"

#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/startup/StartupWindow.h"
#include "app/startup/TerminationSignal.h"
#include "infra/ApplicationFolders.h"
#include "infra/Environment.h"
#include "infra/ErrorLog.h"
#include "infra/SystemConfiguration.h"
#include "infra/TraceFile.h"
#include "platform/DebugOutput.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

bool CTM80_AppApp::InitInstance() {
    // A stop signal leaves every loop, modal ones included; the main window
    // then ends without saving, as any end but Esc or the close box does.
    TerminationSignal stop([](int signal) {
        char text[64];
        std::snprintf(text, sizeof text, "tm80: ending on signal %d\r", signal);
        win::OutputDebugStringA(text);
        QCoreApplication::exit(0);
    });

    win::CWinApp::InitInstance();
    InitEnvironment();
    CreateApplicationFolders();
    TraceFile trace(TheEnvironment().AppLogFolder);
    ReadLastIpUsed();

    {
        // Shown while the main window connects and searches; it closes when
        // the main window shows.
        StartupWindow startup;
        CTM80_AppDlg mainWindow;
        const std::shared_ptr<void> companion =
            mainWindowHook_ ? mainWindowHook_(mainWindow) : nullptr;
        mainWindow.DoModal();
    }
    // The run is over: close the log rather than leave it to exit.
    StopErrorLog();
    return false;
}
