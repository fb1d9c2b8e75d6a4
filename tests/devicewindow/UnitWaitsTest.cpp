// The window never waits on a unit: a healthy unit keeps its pace beside
// units that answer badly, an action on a unit waits for that unit only and
// never interleaves its frames with the read in flight, and removal and exit
// with exchanges in flight end at once.
#include "device/UnitFlags.h"
#include "devicewindow/QtGuiThread.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <dirent.h>

namespace {

using namespace dwtest;
using namespace std::chrono_literals;

class UnitWaitsTest : public DeviceWindowTest {
protected:
    UnitWaitsTest() : DeviceWindowTest(79) {}

    // Status reads the unit received from `from` on, as times.
    static std::vector<std::chrono::steady_clock::time_point>
    StatusReads(const sim::SimUnit& unit, std::chrono::steady_clock::time_point from) {
        std::vector<std::chrono::steady_clock::time_point> reads;
        for (const auto& frame : unit.Frames()) {
            if (frame.command == 0x2002 && frame.at >= from) {
                reads.push_back(frame.at);
            }
        }
        return reads;
    }
    static int Threads() {
        int count = 0;
        if (DIR* tasks = ::opendir("/proc/self/task")) {
            while (const dirent* entry = ::readdir(tasks)) {
                count += entry->d_name[0] != '.' ? 1 : 0;
            }
            ::closedir(tasks);
        }
        return count;
    }
};

TEST_F(UnitWaitsTest, HealthyUnitKeepsItsPaceBesideFaultyOnes) {
    sim::SimUnit& healthy = StartUnit({.note = "Healthy"});
    AddUnit(healthy);
    const struct {
        sim::Fault fault;
        int param;
    } faults[] = {
        {sim::Fault::Silent, 0}, {sim::Fault::DelayedReply, 1500}, {sim::Fault::SlowBytes, 50}};
    std::vector<sim::SimUnit*> faulty;
    for (std::size_t i = 0; i < std::size(faults); ++i) {
        faulty.push_back(&StartUnit({.note = "Faulty"}));
        AddUnit(*faulty.back());
    }
    for (std::size_t i = 0; i < faulty.size(); ++i) {
        faulty[i]->SetFault(faults[i].fault, faults[i].param);
        faulty[i]->ClearFrames();
    }

    // A 10 ms timer over 6 s: how long the event loop was ever held. Each
    // faulty unit's first failing reads come in this time; waited for on the
    // GUI thread, each held it for a second.
    std::chrono::steady_clock::duration longest{};
    auto last = std::chrono::steady_clock::now();
    const auto start = last;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start(10);
    WaitUntil([] { return false; }, 6000);
    tick.stop();

    EXPECT_LT(longest, 500ms) << "the goal is 50 ms";
    const auto reads = StatusReads(healthy, start);
    ASSERT_GE(reads.size(), 4u);
    for (std::size_t i = 1; i < reads.size(); ++i) {
        EXPECT_LT(reads[i] - reads[i - 1], 2000ms) << "the goal is 1.3 s; read " << i;
    }
    for (const sim::SimUnit* unit : faulty) {
        EXPECT_FALSE(unit->Frames().empty()) << "each faulty unit was read meanwhile";
    }
}

TEST_F(UnitWaitsTest, AnActionWaitsForItsUnitOnlyAndNeverInterleaves) {
    sim::SimUnit& busy = StartUnit({.note = "Busy"});
    sim::SimUnit& other = StartUnit({.note = "Other"});
    const int index = AddUnit(busy);
    AddUnit(other);
    UnitSlot& slot = Slot(index);
    WaitUntil([&] { return !slot.Unit()->Busy(); });

    // A note check goes out to a unit that answers 400 ms late; the action
    // that follows at once waits for that reply before its own frame goes.
    busy.SetFault(sim::Fault::DelayedReply, 400);
    busy.ClearFrames();
    Window(index).NoteCheck();
    ASSERT_TRUE(slot.Unit()->Busy());
    EXPECT_EQ(slot.Unit()->SetOutputAdjustment(2, -3), 1);
    auto frames = busy.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].command, 0x1003);
    EXPECT_EQ(frames[1].command, 0x1000);
    EXPECT_GE(frames[1].at - frames[0].at, 350ms);
    EXPECT_EQ(ConnectionLostFlag()[static_cast<std::size_t>(index)], 0);

    // While an action waits 2.5 s for its unit, the other unit is read on.
    busy.SetFault(sim::Fault::DelayedReply, 2500);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(slot.Unit()->FlashLeds(), 1);
    EXPECT_GE(StatusReads(other, start).size(), 2u);
    // Its own reads waited: nothing went to it during the action.
    frames = busy.Frames();
    EXPECT_EQ(frames.back().command, 0x1001);
}

TEST_F(UnitWaitsTest, RemovalAndExitWithExchangesInFlightEndAtOnce) {
    std::vector<sim::SimUnit*> units;
    for (int i = 0; i < 3; ++i) {
        units.push_back(&StartUnit({.note = "Silent"}));
    }
    const int threads = Threads();
    std::vector<int> indexes;
    for (sim::SimUnit* unit : units) {
        indexes.push_back(AddUnit(*unit));
    }
    EXPECT_EQ(Threads(), threads + 3) << "one worker per unit";

    // Each unit goes silent with a note read in flight, which would wait
    // out its budget of a second.
    for (std::size_t i = 0; i < units.size(); ++i) {
        WaitUntil([&] { return !Slot(indexes[i]).Unit()->Busy(); });
        units[i]->SetFault(sim::Fault::Silent);
        Window(indexes[i]).NoteCheck();
    }
    QElapsedTimer clock;
    clock.start();
    TheSlotTable().Release(indexes[0]);
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_TRUE(WaitUntil([&] { return units[0]->OpenConnections() == 0; }, 1000));

    clock.restart();
    TheSlotTable().Clear();
    EXPECT_LT(clock.elapsed(), 500);
    for (const sim::SimUnit* unit : units) {
        EXPECT_TRUE(WaitUntil([&] { return unit->OpenConnections() == 0; }, 1000));
    }
    EXPECT_EQ(Threads(), threads);
    Settle(); // results still posted are dropped
}

} // namespace
