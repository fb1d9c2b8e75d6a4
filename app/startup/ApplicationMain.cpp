#include "app/startup/ApplicationMain.h"

#include "metrics/MetricsEndpoint.h"

#include "Version.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The one application object, made with the process's static objects.
CTM80_AppApp theApp;

constexpr int kExitNoDisplay = 1;
constexpr int kExitNoMetrics = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "usage: tm80 [--metrics-listen=HOST:PORT]\n"
    "       tm80 --help | --version\n"
    "\n"
    "The TM80 control application. At start it connects to the stored unit\n"
    "addresses when direct launch is set, then searches the network for units\n"
    "(a UDP broadcast to port 50001, about 3 s); up to four units are shown in\n"
    "the main window and controlled over TCP port 5000. The configuration,\n"
    "setup files and logs live in a folder tree under the folder tm80 is\n"
    "started in.\n"
    "\n"
    "Options:\n"
    "  --metrics-listen=HOST:PORT\n"
    "               serve the metrics of the units shown, for Prometheus, at\n"
    "               http://HOST:PORT/metrics (\":9380\": every IPv4 address),\n"
    "               from the readings the window makes anyway\n"
    "  --help, -h   print this text and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status: 0 once the main window has closed; 1 when no display can be\n"
    "opened or the metrics address cannot be listened on; 2 for a usage error.\n"
    "Nothing is sent on the network before the display is open.\n";

constexpr const char* kMetricsListen = "--metrics-listen";

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
    std::string metricsListen;
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
        if (arg.rfind(kMetricsListen, 0) == 0) {
            const bool joined =
                arg.size() > std::strlen(kMetricsListen) && arg[std::strlen(kMetricsListen)] == '=';
            if (arg == kMetricsListen && i + 1 < argc) {
                metricsListen = argv[++i];
            } else if (joined) {
                metricsListen = arg.substr(std::strlen(kMetricsListen) + 1);
            }
            if (metrics::MetricsServer::ListeningPort(metricsListen).empty()) {
                std::fprintf(stderr,
                             "tm80: %s takes HOST:PORT or :PORT, HOST a dotted IPv4 address "
                             "(tm80 --help lists the options)\n",
                             kMetricsListen);
                return kExitUsage;
            }
            continue;
        }
        std::fprintf(stderr, "tm80: unknown argument \"%s\" (tm80 --help lists the options)\n",
                     argv[i]);
        return kExitUsage;
    }
    const std::unique_ptr<QApplication> application = OpenDisplay(argc, argv);
    // Scrapes are answered on the server's own threads, from what the pages
    // last read; the window never waits on them.
    std::unique_ptr<metrics::MetricsEndpoint> endpoint;
    if (!metricsListen.empty()) {
        endpoint = std::make_unique<metrics::MetricsEndpoint>([](std::string_view line) {
            std::fprintf(stderr, "tm80: metrics: %.*s\n", static_cast<int>(line.size()),
                         line.data());
        });
        if (!endpoint->Start(metricsListen)) {
            std::fprintf(stderr, "tm80: %s\n", endpoint->Error().c_str());
            return kExitNoMetrics;
        }
    }
    theApp.SetMainWindowHook(std::move(hook));
    return theApp.Run(argc, argv);
}
