// SIGTERM and SIGINT, turned into a call on the GUI thread: the handler only
// writes a byte to a pipe, and a socket notifier on the pipe's other end runs
// `onSignal` from the event loop (also from inside a modal loop).
// The previous handlers come back when the object goes.
#pragma once

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

class TerminationSignal {
public:
    explicit TerminationSignal(std::function<void(int)> onSignal);
    ~TerminationSignal();
    TerminationSignal(const TerminationSignal&) = delete;
    TerminationSignal& operator=(const TerminationSignal&) = delete;

    bool IsActive() const { return notifier_ != nullptr; }

private:
    static void Handler(int signal);
    void Drain();

    std::function<void(int)> onSignal_;
    int readFd_ = -1;
    int writeFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction oldTerm_ {};
    struct sigaction oldInt_ {};
};
