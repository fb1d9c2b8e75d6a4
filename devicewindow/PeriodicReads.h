// PeriodicReads: paces the reads a device window makes of its unit on its
// own: the note check of timer 1001 (the connection watch) and the status
// refresh of timer 1000.
//
// Every exchange runs on the GUI thread with a budget of 1000 ms. A unit
// switched off or unplugged without closing its connection would make both
// timers wait out their budget every second and hold the whole application
// blocked. So once a periodic read has failed by running out of its budget,
// the unit is quiet: its status reads are left out, and the note check, which
// is what finds the lost connection, runs once more at once and then once
// every kQuietSpacingMs, until the unit answers one. Reads the operator asks
// for are not paced.
#pragma once

#include <cstdint>
#include <functional>

class PeriodicReads {
public:
    static constexpr std::int64_t kQuietSpacingMs = 10000;

    enum class Kind { NoteCheck, StatusRead };

    // Runs `exchange` (which returns 1 when the unit answered) unless the
    // pace leaves it out. Returns the exchange's result, or -1 when it was
    // left out. `budgetMs` is the exchange's budget: a failure that took at
    // least that long is a time-out.
    int Run(Kind kind, const std::function<int()>& exchange, int budgetMs);

    bool IsQuiet() const { return quiet_; }

private:
    bool Due(Kind kind, std::int64_t now) const;

    bool quiet_ = false;
    bool noteCheckFailed_ = false; // since the unit went quiet
    std::int64_t lastNoteCheck_ = 0;
};
