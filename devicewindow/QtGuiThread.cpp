#include "devicewindow/QtGuiThread.h"

#include "platform/ui/CWaitCursor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

QtGuiThread::QtGuiThread() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier_.data(), &QSocketNotifier::activated, [this] { Woken(); });
}

QtGuiThread::~QtGuiThread() {
    delete notifier_.data();
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
    }
}

void QtGuiThread::Post(std::function<void()> call) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(call));
    }
    const std::uint64_t one = 1;
    if (::write(wakeFd_, &one, sizeof one) < 0) {
        // The counter is already readable: the loop wakes anyway.
    }
}

void QtGuiThread::Woken() {
    std::uint64_t count = 0;
    if (::read(wakeFd_, &count, sizeof count) < 0) {
        // Nothing to clear; the queue is looked at anyway.
    }
    // The calls run from a timer, not from inside the notifier: a message box
    // that a call opens would not be painted under the X11 event loop while
    // a socket notifier is being handled.
    if (!runScheduled_) {
        runScheduled_ = true;
        QTimer::singleShot(0, notifier_.data(), [this] {
            runScheduled_ = false;
            RunPosted();
        });
    }
}

void QtGuiThread::RunPosted() {
    // One call at a time: a call may wait in a nested loop, which runs the
    // calls posted after it meanwhile.
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            if (posted_.empty()) {
                return;
            }
            call = std::move(posted_.front());
            posted_.pop_front();
        }
        call();
    }
}

void QtGuiThread::WaitUntil(const std::function<bool()>& done) {
    if (done()) {
        return;
    }
    win::CWaitCursor cursor;
    ++depth_;
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                        QEventLoop::ExcludeUserInputEvents);
    }
    --depth_;
    if (depth_ == 0 && !deferred_.empty()) {
        QTimer::singleShot(0, QCoreApplication::instance(), [this] { RunDeferred(); });
    }
}

void QtGuiThread::AfterWaits(std::function<void()> call) {
    if (depth_ == 0) {
        call();
        return;
    }
    deferred_.push_back(std::move(call));
}

void QtGuiThread::RunDeferred() {
    // Another action may have begun to wait since; its end runs them.
    if (depth_ > 0) {
        return;
    }
    std::vector<std::function<void()>> calls = std::move(deferred_);
    deferred_.clear();
    for (auto& call : calls) {
        AfterWaits(std::move(call));
    }
}

QtGuiThread& TheGuiThread() {
    static QtGuiThread thread;
    return thread;
}
