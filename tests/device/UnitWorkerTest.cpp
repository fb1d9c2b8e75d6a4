// A unit's I/O worker against a simulated unit: exchanges one at a time in
// the order asked, each result back on the thread that asked, an action's
// wait after the reads already in flight, and Stop breaking off an exchange
// that would wait out its budget. The GUI thread here is the test's own.
#include "device/UnitWorker.h"
#include "device/CTM80M1_Comm.h"
#include "device/GuiThread.h"
#include "platform/Clock.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// Posted calls queue up and run on the test's thread while it waits.
class TestThread : public GuiThread {
public:
    void Post(std::function<void()> call) override {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        posted_.notify_one();
    }
    void WaitUntil(const std::function<bool()>& done) override {
        while (!done()) {
            RunFor(100);
        }
    }
    // Runs the calls posted within `ms`.
    void RunFor(int ms) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        std::unique_lock lock(mutex_);
        while (posted_.wait_until(lock, until, [this] { return !calls_.empty(); })) {
            auto call = std::move(calls_.front());
            calls_.pop_front();
            lock.unlock();
            call();
            lock.lock();
        }
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
};

struct Rig {
    Rig() {
        unit = simtest::StartUnit(13, simtest::CurrentTestName());
        EXPECT_NE(unit, nullptr);
        connection = worker.Connect(unit->Config().address);
        EXPECT_TRUE(connection != nullptr && connection->IsConnected());
        model = std::make_unique<CTM80M1_Comm>(connection.get());
        model->AttachWorker(&worker);
    }
    ~Rig() {
        worker.Stop();
        model.reset();
        connection.reset();
    }

    TestThread gui;
    UnitWorker worker{gui};
    std::unique_ptr<sim::SimUnit> unit;
    std::unique_ptr<TCPCom> connection;
    std::unique_ptr<CTM80M1_Comm> model;
};

TEST(UnitWorker, ExchangesGoOneAtATimeInOrderAndStopBreaksOffTheOneInFlight) {
    Rig rig;
    rig.unit->SetStatus(45, 120, 15);
    rig.unit->SetFault(sim::Fault::DelayedReply, 200);
    std::vector<std::string> done;
    auto record = [&done, caller = std::this_thread::get_id()](const char* what) {
        return [&done, what, caller](int result, std::int64_t) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            done.push_back(std::string(what) + (result == 1 ? " ok" : " failed"));
        };
    };
    rig.model->PostReadUserNote(record("note"));
    rig.model->PostReadStatus(record("status"));
    EXPECT_TRUE(rig.model->Busy());
    EXPECT_TRUE(done.empty()) << "the reads wait for the unit, not the caller";

    // An action waits for the reads before it, and they are taken first.
    EXPECT_EQ(rig.model->SetOutputAdjustment(2, -3), 1);
    EXPECT_EQ(done, (std::vector<std::string>{"note ok", "status ok"}));
    EXPECT_FALSE(rig.model->Busy());
    EXPECT_EQ(rig.model->status.temperature, 45);
    EXPECT_EQ(rig.model->settings.adjustments[2], -3);

    // Each frame went out only once the reply before it was in.
    const auto frames = rig.unit->Frames();
    ASSERT_EQ(frames.size(), 3u);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_GE(frames[i].at - frames[i - 1].at, std::chrono::milliseconds(180)) << i;
    }

    // Stop breaks off the exchange in flight and drops the rest.
    rig.unit->ClearFrames();
    rig.unit->SetFault(sim::Fault::Silent);
    bool called = false;
    rig.model->PostReadUserNote([&called](int, std::int64_t) { called = true; });
    rig.model->PostReadStatus([&called](int, std::int64_t) { called = true; });
    ASSERT_TRUE(rig.unit->WaitForFrames(1, 1000));

    const std::int64_t start = win::ProcessClock();
    rig.worker.Stop();
    EXPECT_LT(win::ProcessClock() - start, 300) << "the note read waited out its budget";
    rig.gui.RunFor(200);
    EXPECT_FALSE(called);
    EXPECT_FALSE(rig.model->Busy());
    EXPECT_EQ(rig.unit->Frames().size(), 1u);
    // Nothing more goes out on a connection broken off.
    EXPECT_EQ(rig.model->ReadStatus(), 0);
    EXPECT_EQ(rig.unit->Frames().size(), 1u);
}

} // namespace
