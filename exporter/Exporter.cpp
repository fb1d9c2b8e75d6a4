#include "exporter/Exporter.h"

#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "platform/WinSock.h"

#include "Version.h"

#include <algorithm>

Exporter::Exporter(ExporterOptions options, Log log)
    : options_(std::move(options)), log_(std::move(log)),
      metrics_(2 * options_.pollInterval, kVersion),
      server_([this] { return metrics_.Render(); }, "TM80 Exporter",
              [this](std::string_view line) { log_("http: " + std::string(line)); }) {}

Exporter::~Exporter() {
    Stop();
}

bool Exporter::Start() {
    if (!server_.Start(options_.listenAddress)) {
        error_ = server_.Error();
        return false;
    }
    const std::size_t units = options_.units.size();
    log_("listening on " + options_.listenAddress + ", reading " + std::to_string(units) +
         (units == 1 ? " unit every " : " units every ") +
         std::to_string(options_.pollInterval.count()) + " ms");
    // The first reads are spread over the interval, so that many units do
    // not all come due at once, but start within a few seconds whatever it is.
    const auto spread = std::min<std::chrono::milliseconds>(options_.pollInterval, kLongestSpread);
    const auto count = static_cast<std::int64_t>(options_.units.size());
    for (std::int64_t i = 0; i < count; ++i) {
        AddUnit(options_.units[static_cast<std::size_t>(i)], spread * i / count);
    }
    if (options_.discover) {
        discovery_ = std::thread([this] { Discover(); });
    }
    return true;
}

void Exporter::Stop() {
    server_.Stop();
    std::vector<std::unique_ptr<UnitPoller>> pollers;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        wake_.notify_all();
        pollers.swap(pollers_);
    }
    if (discovery_.joinable()) {
        discovery_.join();
    }
    for (auto& poller : pollers) {
        poller->RequestStop();
    }
    pollers.clear(); // each joins its thread
}

void Exporter::AddUnit(const std::string& address, std::chrono::milliseconds firstDelay) {
    std::lock_guard lock(mutex_);
    const bool known = std::any_of(pollers_.begin(), pollers_.end(),
                                   [&](const auto& p) { return p->Address() == address; });
    if (!stop_ && !known) {
        pollers_.push_back(std::make_unique<UnitPoller>(address, metrics_, options_.pollInterval,
                                                        firstDelay, log_));
    }
}

void Exporter::Discover() {
    // The search's sockets are refused until the socket library is started.
    win::WSADATA data{};
    win::WSAStartup(win::MAKEWORD(2, 2), &data);
    for (;;) {
        // The search's trace goes to the debugger channel, which is silent here.
        const int error = DiscoverWizNET_Devices(DiscoveryTarget{});
        if (error != 0) {
            log_("the search for units could not be sent (Windows Sockets error " +
                 std::to_string(error) + ")");
        }
        for (const DiscoveredUnit& unit : DiscoveryList::Instance().Units()) {
            AddUnit(unit.addressText);
        }
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, options_.discoverInterval, [this] { return stop_; })) {
            break;
        }
    }
    win::WSACleanup();
}
