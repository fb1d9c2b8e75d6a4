// tm80-demo FOLDER: the tm80 application, which walks its own windows once the
// main window is up, saves the demo's screenshots to FOLDER and ends (see
// DemoScreenshots). The working folder and the environment are tm80's.
#include "app/startup/ApplicationMain.h"
#include "demo/DemoScreenshots.h"

#include "Version.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("tm80-demo %s\n", kVersion);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: tm80-demo SCREENSHOT_FOLDER | --version\n");
        return 2;
    }
    const std::string folder = argv[1];
    return ApplicationMain(1, argv, [folder](CTM80_AppDlg& mainWindow) {
        return std::make_shared<DemoScreenshots>(mainWindow, folder);
    });
}
