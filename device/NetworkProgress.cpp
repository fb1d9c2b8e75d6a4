#include "device/NetworkProgress.h"

#include <algorithm>
#include <utility>

namespace {

NetworkProgressHook& Hook() {
    static NetworkProgressHook hook;
    return hook;
}

} // namespace

NetworkProgress NetworkProgress::Connecting(std::string address) {
    NetworkProgress progress;
    progress.step = Step::Connecting;
    progress.address = std::move(address);
    return progress;
}

NetworkProgress NetworkProgress::Reading(std::string address) {
    NetworkProgress progress;
    progress.step = Step::Reading;
    progress.address = std::move(address);
    return progress;
}

NetworkProgress NetworkProgress::Searching(int elapsedMs, int windowMs) {
    NetworkProgress progress;
    progress.elapsedMs = elapsedMs;
    progress.windowMs = windowMs;
    return progress;
}

std::string NetworkProgress::Text() const {
    if (step == Step::Connecting) {
        return "Connecting to " + address + "\x85";
    }
    if (step == Step::Reading) {
        return "Reading " + address + "\x85";
    }
    return "Searching the network for TM80 units\x85";
}

int NetworkProgress::Percent() const {
    if (step != Step::Searching || windowMs <= 0) {
        return 0;
    }
    return std::clamp(elapsedMs * 100 / windowMs, 0, 100);
}

void ReportNetworkProgress(const NetworkProgress& progress) {
    if (Hook()) {
        Hook()(progress);
    }
}

NetworkProgressScope::NetworkProgressScope(NetworkProgressHook hook)
    : previous_(std::exchange(Hook(), std::move(hook))) {}

NetworkProgressScope::~NetworkProgressScope() {
    Hook() = std::move(previous_);
}
