#include "device/UnitWorker.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <utility>

UnitWorker::UnitWorker(GuiThread& gui)
    : gui_(gui), breakFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      guiSide_(std::make_shared<GuiSide>(GuiSide{this})) {
    thread_ = std::thread([this] { Loop(); });
}

UnitWorker::~UnitWorker() {
    Stop();
    if (breakFd_ >= 0) {
        ::close(breakFd_);
    }
}

void UnitWorker::Loop() {
    const std::weak_ptr<GuiSide> guiSide = guiSide_;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) {
            return;
        }
        Job job = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        job.work();
        gui_.Post([guiSide, done = std::move(job.done)] {
            const std::shared_ptr<GuiSide> side = guiSide.lock();
            if (side == nullptr) {
                return; // the worker was stopped: the result is dropped
            }
            --side->worker->pending_;
            if (done) {
                done();
            }
        });
        lock.lock();
    }
}

void UnitWorker::Post(std::function<void()> work, std::function<void()> done) {
    if (stopped_) {
        return;
    }
    ++pending_;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Job{std::move(work), std::move(done)});
    }
    wake_.notify_one();
}

void UnitWorker::Run(std::function<void()> work) {
    bool finished = false;
    ++holding_;
    Post(std::move(work), [&finished] { finished = true; });
    gui_.WaitUntil([this, &finished] { return finished || stopped_; });
    --holding_;
}

std::unique_ptr<TCPCom> UnitWorker::Connect(const std::string& address, int connectTimeoutMs) {
    auto connection = std::make_shared<std::unique_ptr<TCPCom>>();
    const int breakFd = breakFd_;
    Run([connection, address, connectTimeoutMs, breakFd] {
        *connection = std::make_unique<TCPCom>(address.c_str(), connectTimeoutMs);
        (*connection)->SetBreakDescriptor(breakFd);
    });
    return stopped_ ? nullptr : std::move(*connection);
}

void UnitWorker::Break() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_one();
    const std::uint64_t one = 1;
    if (breakFd_ >= 0 && ::write(breakFd_, &one, sizeof one) < 0) {
        // Nothing to do: the work in flight then ends with its budget.
    }
}

void UnitWorker::Stop() {
    if (stopped_) {
        return;
    }
    Break();
    if (thread_.joinable()) {
        thread_.join();
    }
    stopped_ = true;
    guiSide_.reset();
    pending_ = 0;
}
