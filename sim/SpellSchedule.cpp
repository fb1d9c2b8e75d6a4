#include "sim/SpellSchedule.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

namespace sim {

void SpellSchedule::Add(SimUnit& unit, const Spell& spell, std::optional<int> ownTemperature,
                        Fault ownFault, int ownParam) {
    steps_.push_back({spell.fromS, &unit, spell, true, ownTemperature, ownFault, ownParam});
    steps_.push_back({spell.toS, &unit, spell, false, ownTemperature, ownFault, ownParam});
    std::stable_sort(steps_.begin(), steps_.end(),
                     [](const Step& a, const Step& b) { return a.atS < b.atS; });
}

void SpellSchedule::Carry(const Step& step) {
    SimUnit& unit = *step.unit;
    if (step.spell.kind == Spell::Kind::Fault) {
        if (step.begin) {
            unit.SetFault(static_cast<Fault>(step.spell.value), step.spell.param);
        } else {
            unit.SetFault(step.ownFault, step.ownParam);
        }
        return;
    }
    if (step.begin) {
        unit.SetTemperature(step.spell.value);
    } else if (step.ownTemperature) {
        unit.SetTemperature(*step.ownTemperature);
    } else {
        unit.ReleaseTemperature();
    }
}

int SpellSchedule::WaitForSignal(const sigset_t& signals) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    std::size_t next = 0;
    for (;;) {
        while (next < steps_.size() &&
               Clock::now() - start >= std::chrono::seconds(steps_[next].atS)) {
            Carry(steps_[next++]);
        }
        if (next == steps_.size()) {
            int signal = 0;
            sigwait(&signals, &signal);
            return signal;
        }
        const auto left = start + std::chrono::seconds(steps_[next].atS) - Clock::now();
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        timespec wait{};
        if (ns > 0) {
            wait.tv_sec = static_cast<time_t>(ns / 1000000000);
            wait.tv_nsec = static_cast<long>(ns % 1000000000);
        }
        const int signal = sigtimedwait(&signals, nullptr, &wait);
        if (signal > 0) {
            return signal;
        }
    }
}

} // namespace sim
