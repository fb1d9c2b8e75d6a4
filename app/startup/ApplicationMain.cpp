#include "app/startup/ApplicationMain.h"

#include "Version.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The one application object, made with the process's static objects.
CTM80_AppApp theApp;

constexpr int kExitNoDisplay = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: tm80 [--help | --version]\n"
    "\n"
    "The TM80 control application. At start it connects to the stored unit\n"
    "addresses when direct launch is set, then searches the network for units\n"
    "(a UDP broadcast to port 50001, about 3 s); up to four units are shown in\n"
    "the main window and controlled over TCP port 5000. The configuration,\n"
    "setup files and logs live in a folder tree under the folder tm80 is\n"
    "started in.\n"
    "\n"
    "Options:\n"
    "  --help, -h   print this text and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status: 0 once the main window has closed; 1 when no display can be\n"
    "opened; 2 for a usage error. Nothing is sent on the network before the\n"
    "display is open.\n";

// Qt ends the process with an abort, after lines of its own, when it cannot
// open a display. While the display is being opened its messages are held
// back: a fatal one becomes one line of ours and exit status 1; the others
// are passed on once the display is open.
struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};

QtMessageHandler passOn = nullptr;
std::vector<HeldMessage> held;

void HoldWhileOpening(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        held.push_back({type, context.category != nullptr ? context.category : "", text});
        return;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::fprintf(stderr, "tm80: no display to show the window on (DISPLAY is not set)\n");
    } else {
        std::fprintf(stderr, "tm80: cannot open the display \"%s\"\n", display);
    }
    std::fflush(stderr);
    std::_Exit(kExitNoDisplay);
}

std::unique_ptr<QApplication> OpenDisplay(int& argc, char** argv) {
    passOn = qInstallMessageHandler(HoldWhileOpening);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(passOn);
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        if (passOn != nullptr) {
            passOn(message.type, context, message.text);
        } else {
            qt_message_output(message.type, context, message.text);
        }
    }
    held.clear();
    return application;
}

} // namespace

int ApplicationMain(int argc, char** argv, CTM80_AppApp::MainWindowHook hook) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("tm80 %s\n", kVersion);
            return 0;
        }
        std::fprintf(stderr, "tm80: unknown argument \"%s\" (tm80 --help lists the options)\n",
                     argv[i]);
        return kExitUsage;
    }
    const std::unique_ptr<QApplication> application = OpenDisplay(argc, argv);
    theApp.SetMainWindowHook(std::move(hook));
    return theApp.Run(argc, argv);
}
