// The tm80 program: it keeps its folder tree under the working folder it is
// started in. The only arguments are --help, --version and --metrics-listen;
// Qt's own options are not taken (its environment variables, such as
// QT_QPA_PLATFORM, still work). Returns the process's exit status.
#pragma once

#include "app/startup/CTM80_AppApp.h"

// `hook`, when given, runs once the main window exists (the demo program
// walks the windows through it).
int ApplicationMain(int argc, char** argv, CTM80_AppApp::MainWindowHook hook = {});
