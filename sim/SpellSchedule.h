// Spells of running simulated units: from one moment to another after the
// start a unit runs with another temperature or another fault, then goes back
// to its own. tm80sim's --spell; a demo gives a unit a hot spell and a
// silence this way.
#pragma once

#include "sim/SimUnit.h"

#include <csignal>
#include <optional>
#include <vector>

namespace sim {

struct Spell {
    enum class Kind { Temperature, Fault };
    Kind kind = Kind::Temperature;
    int fromS = 0; // seconds after the start
    int toS = 0;
    int value = 0; // degrees C, or the Fault
    int param = 0; // the fault's parameter
};

class SpellSchedule {
public:
    // `unit` keeps its own temperature (nullopt: drifting) and fault, to which
    // it returns at the end of each spell; it must outlive the schedule's wait.
    void Add(SimUnit& unit, const Spell& spell, std::optional<int> ownTemperature, Fault ownFault,
             int ownParam);

    // Waits for one of `signals` (blocked by the caller), casting and ending
    // the spells on time meanwhile, counted from this call. Returns the signal.
    int WaitForSignal(const sigset_t& signals);

private:
    struct Step {
        int atS;
        SimUnit* unit;
        Spell spell;
        bool begin;
        std::optional<int> ownTemperature;
        Fault ownFault;
        int ownParam;
    };
    static void Carry(const Step& step);

    std::vector<Step> steps_;
};

} // namespace sim
