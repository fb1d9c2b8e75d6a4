// The device window's connection watch (timer 1001 re-reads the note: a failed
// read is a lost connection), and the window never waiting on a unit: a
// healthy unit keeps its pace beside units that answer badly, an action waits
// for its own unit only, and removal and exit with exchanges in flight end at
// once.
#include "device/UnitFlags.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <iterator>

namespace {

using namespace dwtest;
using namespace std::chrono_literals;

class NoteCheckTest : public On<71> {
protected:
    // Waits for `count` further note reads of `unit`.
    static bool WaitForNoteReads(const sim::SimUnit& unit, int count) {
        const int target = NoteReads(unit) + count;
        return WaitUntil([&] { return NoteReads(unit) >= target; }, 1500 * count + 3000);
    }
    static std::string LostText(int index, const sim::SimUnit& unit) {
        return "TCP connection to Device " + std::to_string(index + 1) + " (" +
               unit.Config().address + ") was lost.";
    }
};

TEST_F(NoteCheckTest, AFailedReadIsALostConnectionWhateverTheNote) {
    sim::SimUnit& unit = StartUnit({.note = ""});
    const int index = AddUnit(unit);
    ASSERT_TRUE(WaitForNoteReads(unit, 1));
    Settle();
    EXPECT_FALSE(Lost(index));
    // A failed read yields an empty note too, but it is no answer.
    unit.SetFault(sim::Fault::Silent);
    ASSERT_TRUE(WaitUntil([&] { return Lost(index) && dialogs->History().size() == 1; }, 14000));
    EXPECT_EQ(dialogs->History()[0].message.text, LostText(index, unit));
}

class UnitWaitsTest : public On<79> {
protected:
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
        return static_cast<int>(
            std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                          std::filesystem::directory_iterator{}));
    }
};

TEST_F(UnitWaitsTest, HealthyUnitKeepsItsPaceBesideFaultyOnes) {
    sim::SimUnit& healthy = StartUnit({.note = "Healthy"});
    AddUnit(healthy);
    const std::pair<sim::Fault, int> faults[] = {
        {sim::Fault::Silent, 0}, {sim::Fault::DelayedReply, 1500}, {sim::Fault::SlowBytes, 50}};
    std::vector<sim::SimUnit*> faulty;
    for (std::size_t i = 0; i < std::size(faults); ++i) {
        faulty.push_back(&StartUnit({.note = "Faulty"}));
        AddUnit(*faulty.back());
    }
    for (std::size_t i = 0; i < faulty.size(); ++i) {
        faulty[i]->SetFault(faults[i].first, faults[i].second);
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

// One exchange at a time per unit is the worker's own (its tests show it);
// here: while an action waits 2.5 s for its unit, the other unit is read on,
// and nothing else went to the busy unit during the action.
TEST_F(UnitWaitsTest, AnActionWaitsForItsUnitOnlyAndNeverInterleaves) {
    sim::SimUnit& busy = StartUnit({.note = "Busy"});
    sim::SimUnit& other = StartUnit({.note = "Other"});
    UnitSlot& slot = Slot(AddUnit(busy));
    AddUnit(other);
    // The other unit's timer has begun its reads.
    const auto added = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitUntil([&] { return !StatusReads(other, added).empty(); }));
    WaitIdle(slot);
    busy.SetFault(sim::Fault::DelayedReply, 2500);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(slot.Unit()->FlashLeds(), 1);
    EXPECT_GE(StatusReads(other, start).size(), 2u);
    EXPECT_EQ(busy.Frames().back().command, 0x1001);
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
    // Each unit goes silent with a note read in flight, which would wait out
    // its budget of a second.
    for (std::size_t i = 0; i < units.size(); ++i) {
        WaitIdle(Slot(indexes[i]));
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
