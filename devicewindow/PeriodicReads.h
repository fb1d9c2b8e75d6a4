// PeriodicReads: paces the reads a device window makes of its unit on its
// own: the note check of timer 1001 (the connection watch) and the status
// refresh of timer 1000.
//
// A read goes out to the unit's I/O worker and its result comes back later,
// so the window never waits for the unit. One exchange at a time: a tick that
// finds the unit's other read in flight leaves its read to go out as soon as
// that one is back; one that finds an operator's action waiting for the unit
// leaves it to its next tick.
//
// A unit switched off or unplugged without closing its connection fails every
// read only after its budget of 1000 ms. Once a periodic read has failed that
// way the unit is quiet: its status reads are left out, and the note check,
// which is what finds the lost connection, runs once more at once and then
// once every kQuietSpacingMs, until the unit answers one. Reads the operator
// asks for are not paced.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

class CTM80M1_Comm;

class PeriodicReads {
public:
    static constexpr std::int64_t kQuietSpacingMs = 10000;

    enum class Kind { NoteCheck, StatusRead };
    // Gets a read's result: 1 the unit answered, 0 it failed, -1 the pace left
    // the read out (nothing was asked of the unit).
    using Done = std::function<void(int read)>;

    // The unit read (nullptr: none, nothing is read).
    explicit PeriodicReads(CTM80M1_Comm* unit = nullptr) : unit_(unit) {}

    // One tick's read of `kind`; `done` gets its result on this thread.
    void Ask(Kind kind, Done done);

    bool IsQuiet() const { return quiet_; }

private:
    bool Due(Kind kind, std::int64_t now) const;
    void Finish(Kind kind, int result, std::int64_t tookMs);
    // The reads asked for while the unit was busy.
    void AskWaiting();

    CTM80M1_Comm* unit_;
    bool quiet_ = false;
    bool noteCheckFailed_ = false; // since the unit went quiet
    std::int64_t lastNoteCheck_ = 0;
    std::array<Done, 2> waiting_;
};
