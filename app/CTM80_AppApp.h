#pragma once

// CTM80_AppApp: the application object. Its start-up sets up the environment
// under the working folder, creates the application's folders, starts the
// trace file, reads "LAST_IP_USED" and runs the main window modally; when the
// main window closes the process ends. SIGTERM and SIGINT end the main window
// the way Enter does: without saving the configuration.

#include "infra/WinAppplus.h"
#include "platform/ui/CWinApp.h"

class CTM80_AppApp : public win::CWinApp, public WinAppplus {
public:
    CTM80_AppApp() = default;

    // Returns false: the process ends once the main window has closed.
    bool InitInstance() override;
};
