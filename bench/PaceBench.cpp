// How the window keeps its pace beside units that answer badly: a headless
// application (the main window, not shown, with one device window per unit)
// holds one healthy unit and three faulty ones (silent, replies 1.5 s late,
// 50 ms per byte), all opened while healthy and then switched to their
// faults, and runs for 20 s. It reports the healthy unit's largest gap
// between two status reads (as the unit received them) and how late a 10 ms
// timer of the event loop fired: its largest stall and the 99th percentile.
//
//   tm80_pace_bench [SECONDS]     run inside a private network namespace
#include "app/mainwindow/CTM80_AppDlg.h"
#include "device/SlotTable.h"
#include "device/UnitProtocol.h"
#include "platform/DebugOutput.h"
#include "platform/ui/CommonDialogs.h"
#include "sim/SimUnit.h"
#include "testsupport/ScriptedCommonDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Setup {
    const char* name;
    sim::Fault fault;
    int param;
};

const Setup kUnits[] = {
    {"healthy", sim::Fault::None, 0},
    {"silent", sim::Fault::Silent, 0},
    {"late 1.5 s", sim::Fault::DelayedReply, 1500},
    {"slow 50 ms/byte", sim::Fault::SlowBytes, 50},
};

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    win::SetDebugOutputSink([](std::string_view) {});
    win::CommonDialogs::Install(std::make_unique<win::ScriptedCommonDialogs>());

    std::vector<std::unique_ptr<sim::SimUnit>> units;
    for (std::size_t i = 0; i < std::size(kUnits); ++i) {
        sim::UnitConfig config;
        config.address = "127.48.0." + std::to_string(i + 2);
        config.note = kUnits[i].name;
        auto unit = std::make_unique<sim::SimUnit>(config);
        if (!unit->Start()) {
            std::fprintf(stderr, "tm80_pace_bench: no simulated unit on %s: %s\n",
                         config.address.c_str(), unit->Error().c_str());
            return 1;
        }
        units.push_back(std::move(unit));
    }

    int stalls = 0;
    double healthyGapMs = 0;
    std::vector<double> lateness;
    double longestMs = 0;
    {
        CTM80_AppDlg mainWindow;
        for (const auto& unit : units) {
            if (!mainWindow.ConnectUnit(unit->Config().address)) {
                std::fprintf(stderr, "tm80_pace_bench: %s could not be added\n",
                             unit->Config().address.c_str());
                return 1;
            }
        }
        for (std::size_t i = 0; i < units.size(); ++i) {
            units[i]->SetFault(kUnits[i].fault, kUnits[i].param);
        }
        units[0]->ClearFrames();
        const Clock::time_point start = Clock::now();

        // The 10 ms timer whose lateness shows how long the loop was held.
        std::vector<Clock::time_point> ticks;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&ticks] { ticks.push_back(Clock::now()); });
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        tick.start();
        ticks.push_back(Clock::now());
        loop.exec();
        tick.stop();
        const Clock::time_point end = Clock::now();

        for (std::size_t i = 1; i < ticks.size(); ++i) {
            const double interval = Ms(ticks[i] - ticks[i - 1]);
            longestMs = std::max(longestMs, interval);
            lateness.push_back(std::max(0.0, interval - 10.0));
            stalls += interval > 60.0 ? 1 : 0;
        }
        // Gaps between the healthy unit's status reads, the first measured
        // from the start and the last to the end.
        Clock::time_point last = start;
        for (const auto& frame : units[0]->Frames()) {
            if (frame.command == unitprotocol::kReadStatus) {
                healthyGapMs = std::max(healthyGapMs, Ms(frame.at - last));
                last = frame.at;
            }
        }
        healthyGapMs = std::max(healthyGapMs, Ms(end - last));
    }
    std::sort(lateness.begin(), lateness.end());
    const double p99 = lateness.empty()
                           ? 0.0
                           : lateness[std::min(lateness.size() - 1, lateness.size() * 99 / 100)];

    std::printf("%d s, units: healthy, silent, late 1.5 s, slow 50 ms/byte\n", seconds);
    std::printf("healthy unit, largest gap between status reads  %8.0f ms\n", healthyGapMs);
    std::printf("10 ms timer, largest interval (stall)           %8.0f ms\n", longestMs);
    std::printf("10 ms timer, 99th percentile of lateness        %8.1f ms\n", p99);
    std::printf("10 ms timer, intervals above 60 ms              %8d\n", stalls);
    return 0;
}
