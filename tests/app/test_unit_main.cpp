// tm80-test-unit: one simulated unit (with its WIZnet module) for the
// end-to-end test, which keeps the frames it receives.
//   tm80-test-unit ADDRESS FRAME_LOG
// Prints "ready" once it listens, runs until SIGTERM or SIGINT, prints
// "searches N" (the searches its module received), then writes one line per
// received frame to FRAME_LOG:
//   <ms since start> <command, 4 hex digits> <frame bytes in hex>
// The time is when the frame was seen, to about 10 ms.
#include "sim/SimUnit.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tm80-test-unit ADDRESS FRAME_LOG\n");
        return 2;
    }
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::UnitConfig config;
    config.address = argv[1];
    config.note = "END TO END";
    config.module = true;
    sim::SimUnit unit(config);
    if (!unit.Start()) {
        std::fprintf(stderr, "tm80-test-unit: %s\n", unit.Error().c_str());
        return 1;
    }

    // Stamps each frame as it shows up.
    const auto start = std::chrono::steady_clock::now();
    std::vector<long> stamps;
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        while (!stop) {
            const std::size_t seen = unit.Frames().size();
            const long now =
                static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - start)
                                      .count());
            while (stamps.size() < seen) {
                stamps.push_back(now);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    stop = true;
    watcher.join();
    // Searches the unit's module received, for tests that check none was sent.
    std::printf("searches %d\n", unit.ModuleSearches());
    std::fflush(stdout);
    unit.Stop();

    std::FILE* log = std::fopen(argv[2], "w");
    if (log == nullptr) {
        return 1;
    }
    const auto frames = unit.Frames();
    for (std::size_t i = 0; i < frames.size(); ++i) {
        std::fprintf(log, "%ld %4.4X ", i < stamps.size() ? stamps[i] : -1L,
                     static_cast<unsigned>(frames[i].command));
        for (unsigned char b : frames[i].bytes) {
            std::fprintf(log, "%2.2X", b);
        }
        std::fprintf(log, "\n");
    }
    std::fclose(log);
    return 0;
}
