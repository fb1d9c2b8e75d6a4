// tm80_exporter: serves the metrics of TM80 units to Prometheus until SIGINT
// or SIGTERM.
#include "exporter/Exporter.h"
#include "exporter/ExporterOptions.h"
#include "exporter/UnitList.h"
#include "platform/DebugOutput.h"

#include "Version.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Log(const std::string& line) {
    std::fprintf(stderr, "tm80_exporter: %s\n", line.c_str());
}

} // namespace

int main(int argc, char** argv) {
    const ExporterCommand command =
        ParseExporterCommand(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.action) {
    case ExporterCommand::Action::Help:
        std::fputs(kExporterUsage, stdout);
        return 0;
    case ExporterCommand::Action::Version:
        std::printf("tm80_exporter %s\n", kVersion);
        return 0;
    case ExporterCommand::Action::Usage:
        std::fprintf(stderr, "tm80_exporter: %s (try --help)\n", command.error.c_str());
        return 2;
    case ExporterCommand::Action::Run:
        break;
    }
    ExporterOptions options = command.options;
    if (!options.configFile.empty()) {
        const UnitList list = ReadUnitList(options.configFile);
        if (!list.error.empty()) {
            Log(list.error);
            return 1;
        }
        for (const std::string& unit : list.units) {
            if (std::find(options.units.begin(), options.units.end(), unit) ==
                options.units.end()) {
                options.units.push_back(unit);
            }
        }
    }

    // The transport's and the discovery's trace lines are for debugging tm80;
    // a service's journal gets the exporter's own lines.
    win::SetDebugOutputSink([](std::string_view) {});
    win::SetStandardOutputSink([](std::string_view) {});

    // The stop signals are blocked before any thread starts, then waited for here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    Exporter exporter(options, &Log);
    if (!exporter.Start()) {
        Log(exporter.Error());
        return 1;
    }
    int signal = 0;
    sigwait(&stopSignals, &signal);
    Log("stopping");
    exporter.Stop();
    return 0;
}
