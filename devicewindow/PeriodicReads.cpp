#include "devicewindow/PeriodicReads.h"

#include "device/CTM80M1_Comm.h"
#include "platform/Clock.h"

#include <utility>

namespace {

std::size_t Slot(PeriodicReads::Kind kind) {
    return kind == PeriodicReads::Kind::NoteCheck ? 0 : 1;
}

} // namespace

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

void PeriodicReads::Ask(Kind kind, Done done) {
    if (unit_ == nullptr) {
        return;
    }
    if (unit_->Busy()) {
        waiting_[Slot(kind)] = std::move(done);
        return;
    }
    waiting_[Slot(kind)] = nullptr;
    const std::int64_t now = win::ProcessClock();
    if (!Due(kind, now)) {
        done(-1);
        return;
    }
    if (kind == Kind::NoteCheck) {
        lastNoteCheck_ = now;
    }
    auto finish = [this, kind, done = std::move(done)](int result, std::int64_t tookMs) {
        Finish(kind, result, tookMs);
        done(result);
        AskWaiting();
    };
    if (kind == Kind::NoteCheck) {
        unit_->PostReadUserNote(std::move(finish));
    } else {
        unit_->PostReadStatus(std::move(finish));
    }
}

void PeriodicReads::Finish(Kind kind, int result, std::int64_t tookMs) {
    if (result != 0) {
        quiet_ = false;
        noteCheckFailed_ = false;
    } else if (tookMs >= unit_->Budget()) {
        quiet_ = true;
        noteCheckFailed_ = noteCheckFailed_ || kind == Kind::NoteCheck;
    }
    // A failure that came at once (a reset connection) holds nothing up: the
    // pace stays as it was.
}

void PeriodicReads::AskWaiting() {
    // Still busy: an operator's action came in between. Its reads go out at
    // their next ticks, not late and then at once again.
    if (unit_->Busy()) {
        waiting_ = {};
        return;
    }
    for (Kind kind : {Kind::NoteCheck, Kind::StatusRead}) {
        if (waiting_[Slot(kind)] && !unit_->Busy()) {
            Done done = std::move(waiting_[Slot(kind)]);
            waiting_[Slot(kind)] = nullptr;
            Ask(kind, std::move(done));
        }
    }
}
