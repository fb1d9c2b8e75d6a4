// The application's GUI thread as the units' I/O workers see it (GuiThread):
// results come back through a queue of calls that an eventfd wakes the event
// loop for (they then run from a zero timer, as the periodic reads' timers
// ran them before), and an operator's action waits for its unit in a nested
// event loop that goes on with timers, posted calls and painting while it
// holds back operator input and shows the wait cursor. So one unit that
// answers slowly holds up no other unit's window.
//
// Made on the GUI thread once the Qt application exists (TheGuiThread()).
#pragma once

#include "device/GuiThread.h"

#include <QPointer>

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class QSocketNotifier;

class QtGuiThread : public GuiThread {
public:
    QtGuiThread();
    ~QtGuiThread() override;
    QtGuiThread(const QtGuiThread&) = delete;
    QtGuiThread& operator=(const QtGuiThread&) = delete;

    void Post(std::function<void()> call) override;
    void WaitUntil(const std::function<bool()>& done) override;

    // Whether an operator's action is waiting for a unit now.
    bool Waiting() const { return depth_ > 0; }
    // Runs `call` now, or, while an operator's action waits, from the event
    // loop once no action waits any more: a message box must not open in the
    // middle of an action (or of another unit's).
    void AfterWaits(std::function<void()> call);

private:
    void Woken();
    void RunPosted();
    void RunDeferred();

    int wakeFd_ = -1;
    QPointer<QSocketNotifier> notifier_; // a child of the application, goes with it
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
    // GUI thread only.
    bool runScheduled_ = false;
    int depth_ = 0;
    std::vector<std::function<void()>> deferred_;
};

QtGuiThread& TheGuiThread();
