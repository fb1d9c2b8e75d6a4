#include "devicewindow/PeriodicReads.h"

#include "platform/Clock.h"

bool PeriodicReads::Due(Kind kind, std::int64_t now) const {
    if (!quiet_) {
        return true;
    }
    if (kind == Kind::StatusRead) {
        return false;
    }
    // The note check gets its say once as soon as the unit goes quiet, so a
    // lost connection is found as quickly as before; then it is spaced.
    return !noteCheckFailed_ || now - lastNoteCheck_ >= kQuietSpacingMs;
}

int PeriodicReads::Run(Kind kind, const std::function<int()>& exchange, int budgetMs) {
    const std::int64_t start = win::ProcessClock();
    if (!Due(kind, start)) {
        return -1;
    }
    if (kind == Kind::NoteCheck) {
        lastNoteCheck_ = start;
    }
    const int result = exchange();
    if (result != 0) {
        quiet_ = false;
        noteCheckFailed_ = false;
    } else if (win::ProcessClock() - start >= budgetMs) {
        quiet_ = true;
        noteCheckFailed_ = noteCheckFailed_ || kind == Kind::NoteCheck;
    }
    // A failure that came at once (a reset connection) blocks nothing: the
    // pace stays as it was.
    return result;
}
