// Times of the command exchange against a simulated unit on loopback, each
// beside a plain-socket round trip of the same frames as its floor: the plain
// client sends the request and takes the reply with one receive, where the
// exchange takes one byte per call from the transport's receive buffer. Then
// a setup save (one file replacement) and a setup recall with its sending,
// each meant to stay under 50 ms.
//
//   tm80_bench [--benchmark_min_time=0.5]
#include "device/CTM80M1_Comm.h"
#include "device/PageSetupParts.h"
#include "device/TCPCom.h"
#include "device/UnitSlot.h"
#include "platform/DebugOutput.h"
#include "sim/SimUnit.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

std::string g_address;

struct Exchange {
    std::uint16_t command;
    std::vector<std::uint8_t> payload;

    std::uint16_t ReplyLength() const { return unitprotocol::ReplyLength(command); }
};

using namespace unitprotocol;

// The reply sizes timed: 6 bytes (a set command), 26 (identity) and 134 (block read).
const Exchange kShort{kSetOutputAdjustment, {0, 0}};
const Exchange kIdentity{kReadIdentity, {}};
const Exchange kBlock{kReadBlock, {0}};

// The frames of the open sequence, in its order.
std::vector<Exchange> OpenSequence() {
    std::vector<Exchange> frames = {{kControl, {kControlFlashLeds, 0, 0, 0, 0, 0}},
                                    {kControl, {kControlOpen, kControlOpenArgument, 0, 0, 0, 0}},
                                    {kUserNote, std::vector<std::uint8_t>(1 + kNoteLength, 0)},
                                    {kReadOutputAdjustments, {}}};
    for (int block : {0, 1, 4, 5, 6, 7, 8, 9, 10, 11}) {
        frames.push_back({kReadBlock, {static_cast<std::uint8_t>(block)}});
    }
    frames.push_back({kReadSplitAndBands, {}});
    for (int block : {12, 13, 14, 15}) {
        frames.push_back({kReadBlock, {static_cast<std::uint8_t>(block)}});
    }
    return frames;
}

std::vector<std::uint8_t> Frame(const Exchange& e) {
    std::vector<std::uint8_t> frame(kHeaderSize + e.payload.size(), 0);
    WriteHeader(frame.data(), e.command, static_cast<std::uint16_t>(e.payload.size()));
    std::copy(e.payload.begin(), e.payload.end(), frame.begin() + kHeaderSize);
    return frame;
}

void BM_Transact(benchmark::State& state, const Exchange& e) {
    TCPCom connection(g_address.c_str());
    if (!connection.IsConnected()) {
        state.SkipWithError("no connection to the simulated unit");
        return;
    }
    CTM80M1_Comm unit(&connection);
    std::vector<std::uint8_t> request(kHeaderSize + e.payload.size());
    std::vector<std::uint8_t> reply(kHeaderSize + e.ReplyLength());
    for (auto _ : state) {
        for (std::size_t i = 0; i < e.payload.size(); ++i) {
            request[kHeaderSize + i] = e.payload[i];
        }
        if (unit.Transact(e.command, request.data(), static_cast<std::uint16_t>(e.payload.size()),
                          reply.data(), e.ReplyLength()) == 0) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(reply.size()));
}

// A slot on a new connection to the simulated unit; nullptr, with the
// benchmark skipped, when there is none.
std::unique_ptr<UnitSlot> ConnectSlot(benchmark::State& state) {
    auto connection = std::make_unique<TCPCom>(g_address.c_str());
    if (!connection->IsConnected()) {
        state.SkipWithError("no connection to the simulated unit");
        return nullptr;
    }
    auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
    return std::make_unique<UnitSlot>(0, std::move(connection), std::move(unit));
}

void BM_UnitSlotOpen(benchmark::State& state) {
    const auto slot = ConnectSlot(state);
    if (slot == nullptr) {
        return;
    }
    for (auto _ : state) {
        slot->Open(nullptr);
        benchmark::DoNotOptimize(slot->gainTable);
    }
    if (slot->bandCount == 0) {
        state.SkipWithError("the open sequence found no bands");
    }
}

// A setup file a Windows user has kept: notes before the sections.
std::string SetupFile() {
    static const std::string path = [] {
        std::string pattern = "/tmp/tm80-bench-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            return std::string();
        }
        const std::string file = pattern + "/unit.TM80";
        std::ofstream(file, std::ios::binary) << "; rack 4\r\n[NOTES]\r\nSite=North mast\r\n";
        return file;
    }();
    return path;
}

// A whole save: every key of the "DEVICE" and "CALIBRATION" sections into the
// file, put in place at once.
void BM_SetupSave(benchmark::State& state) {
    FreshWindowHost host;
    UnitSlot slot(0, nullptr, std::make_unique<CTM80M1_Comm>(nullptr));
    slot.AttachWindow(&host);
    int seed = 0;
    for (auto _ : state) {
        slot.adjustments[0] = static_cast<std::int8_t>(++seed % 8); // a real change each time
        if (slot.SaveSetup(SetupFile()) == 0) {
            state.SkipWithError("the setup file could not be written");
            break;
        }
    }
}

// A whole recall: the file read into the slot, then sent to the unit (22 exchanges).
void BM_SetupRecall(benchmark::State& state) {
    FreshWindowHost host;
    const auto slot = ConnectSlot(state);
    if (slot == nullptr) {
        return;
    }
    slot->AttachWindow(&host);
    slot->SaveSetup(SetupFile());
    for (auto _ : state) {
        if (slot->RecallSetup(SetupFile()) == 0 || slot->ApplyRecalledSetup() == 0) {
            state.SkipWithError("the recall failed");
            break;
        }
    }
}

// A plain blocking client: one send per request, one receive for the whole reply.
class PlainClient {
public:
    PlainClient() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(TCPCom::kCommandPort);
        ::inet_pton(AF_INET, g_address.c_str(), &addr.sin_addr);
        ok_ = fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~PlainClient() {
        if (fd_ >= 0) {
            ::shutdown(fd_, SHUT_WR);
            char drain[256];
            while (::recv(fd_, drain, sizeof drain, 0) > 0) {
            }
            ::close(fd_);
        }
    }
    PlainClient(const PlainClient&) = delete;
    PlainClient& operator=(const PlainClient&) = delete;

    bool ok() const { return ok_; }

    bool RoundTrip(const std::vector<std::uint8_t>& frame, std::vector<std::uint8_t>& reply) {
        if (::send(fd_, frame.data(), frame.size(), MSG_NOSIGNAL) !=
            static_cast<ssize_t>(frame.size())) {
            return false;
        }
        return ::recv(fd_, reply.data(), reply.size(), MSG_WAITALL) ==
               static_cast<ssize_t>(reply.size());
    }

private:
    int fd_ = -1;
    bool ok_ = false;
};

void BM_PlainSocket(benchmark::State& state, const Exchange& e) {
    PlainClient client;
    if (!client.ok()) {
        state.SkipWithError("no connection to the simulated unit");
        return;
    }
    std::vector<std::uint8_t> frame = Frame(e);
    std::vector<std::uint8_t> reply(kHeaderSize + e.ReplyLength());
    for (auto _ : state) {
        if (!client.RoundTrip(frame, reply)) {
            state.SkipWithError("round trip failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(reply.size()));
}

void BM_PlainSocketOpenSequence(benchmark::State& state) {
    PlainClient client;
    if (!client.ok()) {
        state.SkipWithError("no connection to the simulated unit");
        return;
    }
    std::vector<std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> frames;
    for (const Exchange& e : OpenSequence()) {
        frames.emplace_back(Frame(e), std::vector<std::uint8_t>(kHeaderSize + e.ReplyLength()));
    }
    for (auto _ : state) {
        for (auto& [frame, reply] : frames) {
            if (!client.RoundTrip(frame, reply)) {
                state.SkipWithError("round trip failed");
                return;
            }
        }
    }
}

BENCHMARK_CAPTURE(BM_Transact, reply_6B, kShort)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainSocket, reply_6B, kShort)->UseRealTime();
BENCHMARK_CAPTURE(BM_Transact, reply_26B, kIdentity)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainSocket, reply_26B, kIdentity)->UseRealTime();
BENCHMARK_CAPTURE(BM_Transact, reply_134B, kBlock)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainSocket, reply_134B, kBlock)->UseRealTime();
BENCHMARK(BM_UnitSlotOpen)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainSocketOpenSequence)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetupSave)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetupRecall)->UseRealTime()->Unit(benchmark::kMillisecond);

// Prints the usual table, then each exchange's time as a multiple of its floor.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        // With repetitions the median stands for the benchmark, else its one run.
        for (const Run& run : runs) {
            std::string name = run.run_name.str();
            if (run.error_occurred) {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate ? run.aggregate_name == "median"
                                                  : medians_.count(name) == 0) {
                times_[name] = run.GetAdjustedRealTime();
                if (run.run_type == Run::RT_Aggregate) {
                    medians_[name] = true;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const {
        const std::pair<const char*, const char*> pairs[] = {
            {"BM_Transact/reply_6B/real_time", "BM_PlainSocket/reply_6B/real_time"},
            {"BM_Transact/reply_26B/real_time", "BM_PlainSocket/reply_26B/real_time"},
            {"BM_Transact/reply_134B/real_time", "BM_PlainSocket/reply_134B/real_time"},
            {"BM_UnitSlotOpen/real_time", "BM_PlainSocketOpenSequence/real_time"},
        };
        std::printf("\n%-34s %12s\n", "Exchange", "x floor");
        for (const auto& [measured, floor] : pairs) {
            auto m = times_.find(measured);
            auto f = times_.find(floor);
            if (m != times_.end() && f != times_.end() && f->second > 0) {
                std::printf("%-34s %12.2f\n", measured, m->second / f->second);
            }
        }
        // Times are in each benchmark's own unit: milliseconds here.
        std::printf("\n%-34s %12s\n", "Setup file (goal: under 50 ms)", "ms");
        for (const char* name : {"BM_SetupSave/real_time", "BM_SetupRecall/real_time"}) {
            if (auto t = times_.find(name); t != times_.end()) {
                std::printf("%-34s %12.2f\n", name, t->second);
            }
        }
    }

private:
    std::map<std::string, double> times_;
    std::map<std::string, bool> medians_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // The transport's trace lines would break up the table.
    win::SetDebugOutputSink([](std::string_view) {});
    win::SetStandardOutputSink([](std::string_view) {});

    std::unique_ptr<sim::SimUnit> unit;
    for (int last = 2; last < 250 && unit == nullptr; ++last) {
        sim::UnitConfig config;
        config.address = "127.47.0." + std::to_string(last);
        auto candidate = std::make_unique<sim::SimUnit>(config);
        if (candidate->Start()) {
            unit = std::move(candidate);
            g_address = config.address;
        }
    }
    if (unit == nullptr) {
        std::fprintf(stderr, "tm80_bench: no simulated unit could start on 127.47.0.x\n");
        return 1;
    }
    RatioReporter reporter(::isatty(STDOUT_FILENO) != 0
                               ? benchmark::ConsoleReporter::OO_ColorTabular
                               : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    if (!SetupFile().empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(SetupFile()).parent_path(), ignored);
    }
    return 0;
}
