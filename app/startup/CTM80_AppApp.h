#pragma once

// CTM80_AppApp: the application object. Its start-up sets up the environment
// under the working folder, creates the application's folders, starts the
// trace file, reads "LAST_IP_USED" and runs the main window modally; when the
// main window closes the process ends. SIGTERM and SIGINT end the main window
// the way Enter does: without saving the configuration.

#include "infra/WinAppplus.h"
#include "platform/ui/CWinApp.h"

#include <functional>
#include <memory>
#include <utility>

class CTM80_AppDlg;

class CTM80_AppApp : public win::CWinApp, public WinAppplus {
public:
    // Runs once the main window exists, before it shows; what it returns is
    // kept until the main window has closed.
    using MainWindowHook = std::function<std::shared_ptr<void>(CTM80_AppDlg& mainWindow)>;

    CTM80_AppApp() = default;

    void SetMainWindowHook(MainWindowHook hook) { mainWindowHook_ = std::move(hook); }

    // Returns false: the process ends once the main window has closed.
    bool InitInstance() override;

private:
    MainWindowHook mainWindowHook_;
};
