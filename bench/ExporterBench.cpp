// One tm80_exporter reading 254 simulated units (a discovery's /24) every
// 5 s, as a separate process: its CPU time while it only polls, then the
// latency of back-to-back scrapes (p50, p99, largest) and its CPU meanwhile,
// and its memory. Runs itself inside a private network namespace, where the
// units get 127.0.1.1 to 127.0.1.254.
//
//   tm80_exporter_bench [SECONDS]      each phase's length (default 30)
#include "sim/SimUnit.h"
#include "tests/metrics/MonitoringTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kUnits = 254;
constexpr const char* kListen = "127.0.0.1";
constexpr int kPort = 9380;
constexpr const char* kInside = "TM80_BENCH_IN_NAMESPACE";

// utime + stime of `pid`, in seconds.
double CpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stoull(field);
        } else if (i == 15) {
            stime = std::stoull(field);
        }
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A line of /proc/PID/status, such as "VmRSS:     5120 kB".
std::string Status(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key + ":", 0) == 0) {
            const std::size_t value = line.find_first_not_of(" \t", key.size() + 1);
            return line.substr(value);
        }
    }
    return "?";
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

int UnitsUp() {
    const auto series = montest::Series(montest::HttpGet(kListen, kPort, "/metrics").body);
    return static_cast<int>(std::count_if(series.begin(), series.end(), [](const auto& s) {
        return s.first.rfind("tm80_up{", 0) == 0 && s.second == 1;
    }));
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv(kInside) == nullptr) {
        setenv(kInside, "1", 1);
        std::vector<char*> args = {const_cast<char*>("unshare"), const_cast<char*>("-rn"),
                                   const_cast<char*>("sh"), const_cast<char*>("-c"),
                                   const_cast<char*>("ip link set lo up && exec \"$0\" \"$@\"")};
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        execvp("unshare", args.data());
        std::perror("unshare");
        return 1;
    }
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 30;

    std::vector<std::unique_ptr<sim::SimUnit>> units;
    std::vector<std::string> args = {"--web.listen-address=" + std::string(kListen) + ":" +
                                         std::to_string(kPort),
                                     "--poll-interval=5s"};
    for (int i = 1; i <= kUnits; ++i) {
        sim::UnitConfig config;
        config.address = "127.0.1." + std::to_string(i);
        config.seed = static_cast<std::uint64_t>(i);
        units.push_back(std::make_unique<sim::SimUnit>(config));
        if (!units.back()->Start()) {
            std::fprintf(stderr, "unit %s: %s\n", config.address.c_str(),
                         units.back()->Error().c_str());
            return 1;
        }
        args.push_back("--unit=" + config.address);
    }
    montest::ChildProcess exporter(TM80_EXPORTER_PATH, args);
    const pid_t pid = exporter.Pid();
    if (!montest::WaitFor([] { return UnitsUp() == kUnits; }, std::chrono::seconds(30))) {
        std::fprintf(stderr, "only %d of %d units came up\n", UnitsUp(), kUnits);
        return 1;
    }
    std::printf("tm80_exporter, %d units, poll interval 5 s, %d s per phase\n", kUnits, seconds);

    // Polling alone.
    double cpu = CpuSeconds(pid);
    auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    std::printf("polling only:   CPU %.2f %% of one core\n",
                100.0 * (CpuSeconds(pid) - cpu) / Seconds(Clock::now() - start));

    // Scrapes one after another, 100 ms apart.
    std::vector<double> latencies;
    std::size_t bytes = 0;
    cpu = CpuSeconds(pid);
    start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(seconds)) {
        const auto sent = Clock::now();
        const montest::HttpReply reply = montest::HttpGet(kListen, kPort, "/metrics");
        latencies.push_back(Seconds(Clock::now() - sent) * 1000.0);
        bytes = reply.body.size();
        if (reply.status != 200) {
            std::fprintf(stderr, "scrape failed: status %d\n", reply.status);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const double scrapeCpu = 100.0 * (CpuSeconds(pid) - cpu) / Seconds(Clock::now() - start);
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double q) {
        return latencies[std::min(
            latencies.size() - 1,
            static_cast<std::size_t>(q * static_cast<double>(latencies.size())))];
    };
    std::printf(
        "scrapes:        %zu of %zu bytes, latency p50 %.2f ms, p99 %.2f ms, largest %.2f ms\n",
        latencies.size(), bytes, at(0.50), at(0.99), latencies.back());
    std::printf("with scrapes:   CPU %.2f %% of one core\n", scrapeCpu);
    std::printf("memory:         RSS %s (peak %s), %s threads\n", Status(pid, "VmRSS").c_str(),
                Status(pid, "VmHWM").c_str(), Status(pid, "Threads").c_str());
    std::printf("units up at the end: %d of %d\n", UnitsUp(), kUnits);
    return 0;
}
