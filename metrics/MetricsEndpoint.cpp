#include "metrics/MetricsEndpoint.h"

#include "device/UnitSlot.h"

#include "Version.h"

#include <atomic>

namespace metrics {

namespace {

std::atomic<FleetMetrics*> g_served{nullptr};

void RecordFailure(const UnitSlot& slot) {
    FleetMetrics* served = g_served.load();
    if (served != nullptr && slot.Unit() != nullptr) {
        served->RecordFailure(slot.addressText, UnitConnection::ExchangeFailure(*slot.Unit()));
    }
}

} // namespace

MetricsEndpoint::MetricsEndpoint(MetricsServer::LogFunction log)
    : metrics_(kUpWindow, kVersion),
      server_([this] { return metrics_.Render(); }, "TM80", std::move(log)) {
    g_served = &metrics_;
}

MetricsEndpoint::~MetricsEndpoint() {
    server_.Stop();
    g_served = nullptr;
}

bool MetricsEndpoint::Start(const std::string& listenAddress) {
    return server_.Start(listenAddress);
}

void RecordStatusRead(const UnitSlot& slot, int read) {
    FleetMetrics* served = g_served.load();
    if (served == nullptr || read < 0 || slot.Unit() == nullptr) {
        return;
    }
    if (read == 0) {
        RecordFailure(slot);
        return;
    }
    served->RecordSuccess(slot.addressText, ReadingOf(slot));
}

void RecordNoteCheck(const UnitSlot& slot, int read) {
    if (read == 0) {
        RecordFailure(slot);
    }
}

void ForgetUnit(const std::string& address) {
    if (FleetMetrics* served = g_served.load()) {
        served->RemoveUnit(address);
    }
}

} // namespace metrics
