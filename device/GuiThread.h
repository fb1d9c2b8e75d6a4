// What a unit's I/O worker needs from the thread that owns the windows and
// the unit models (the GUI thread): a way to hand it results, and a way for
// it to wait for one without stopping its other work. The application gives
// its own; the device layer itself has no event loop.
#pragma once

#include <functional>

class GuiThread {
public:
    virtual ~GuiThread() = default;

    // From any thread: `call` runs on the GUI thread soon, calls in the order
    // they were posted.
    virtual void Post(std::function<void()> call) = 0;

    // On the GUI thread: goes on with the thread's other events (posted calls,
    // timers, painting), holding back operator input, until `done` holds.
    // `done` turns true in a posted call.
    virtual void WaitUntil(const std::function<bool()>& done) = 0;

protected:
    GuiThread() = default;
    GuiThread(const GuiThread&) = default;
    GuiThread& operator=(const GuiThread&) = default;
};
