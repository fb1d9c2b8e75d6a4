// UnitWorker: the I/O thread of one unit. It owns the unit's socket work:
// the connect, and every exchange, run one at a time in the order asked, each
// exactly as it would run in the calling thread. It touches nothing but the
// connection and the exchanges' byte buffers; the unit model, the slot and
// the windows stay with the GUI thread, which gets each result back as a
// posted call (GuiThread).
//
// Two ways in, both from the GUI thread:
//   Run     an operator's action: the caller waits for its work (the GUI
//           thread goes on painting and with its timers, input held), after
//           whatever work was already queued;
//   Post    periodic work: returns at once; `done` runs on the GUI thread
//           once the work is through, never after Stop.
// Stop breaks off the work in flight (its connection's wait for a byte ends
// at once), drops the queued work and ends the thread; then the connection is
// the caller's alone, to close.
#pragma once

#include "device/GuiThread.h"
#include "device/TCPCom.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class UnitWorker {
public:
    explicit UnitWorker(GuiThread& gui);
    // Stops the thread (Stop) if that was not done.
    ~UnitWorker();
    UnitWorker(const UnitWorker&) = delete;
    UnitWorker& operator=(const UnitWorker&) = delete;

    // Connects to `address` on the worker while the caller waits; the
    // connection's waits for a reply are then broken off by Stop. Whether it
    // is connected is the caller's to test; nullptr only when the worker was
    // stopped meanwhile.
    std::unique_ptr<TCPCom> Connect(const std::string& address,
                                    int connectTimeoutMs = TCPCom::kConnectTimeoutMs);
    void Run(std::function<void()> work);
    void Post(std::function<void()> work, std::function<void()> done);

    // Work posted whose `done` has not run yet, or a caller waiting in Run:
    // the unit's connection is taken.
    bool Busy() const { return pending_ > 0; }
    // A caller waits in Run (or Connect): an operator's action holds the unit.
    bool Holding() const { return holding_ > 0; }

    // Breaks off the work in flight and drops the queued work; the thread
    // ends by itself. Several workers are stopped together by breaking each,
    // then stopping each.
    void Break();
    // Break, then waits for the thread to end. Idempotent.
    void Stop();

private:
    struct Job {
        std::function<void()> work;
        std::function<void()> done; // posted to the GUI thread afterwards
    };
    // What the results posted to the GUI thread look at there: once the
    // worker is stopped they find it gone and are dropped.
    struct GuiSide {
        UnitWorker* worker;
    };

    void Loop();

    GuiThread& gui_;
    int breakFd_ = -1; // an eventfd, readable once Break has run
    std::thread thread_;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> queue_;
    bool stopping_ = false;

    // GUI thread only.
    std::shared_ptr<GuiSide> guiSide_;
    int pending_ = 0;
    int holding_ = 0;
    bool stopped_ = false;
};
