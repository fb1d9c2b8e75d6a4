// The device window: template, tabs and pane list as it opens; its status
// header read from the unit's slot, its colours and the setup file recalled
// last. The window never waits on a unit: a healthy unit keeps its pace beside
// units that answer badly, an action waits for its own unit only, and removal
// and exit with exchanges in flight end at once.
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/SystemConfiguration.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <iterator>

namespace {

using namespace dwtest;
using namespace std::chrono_literals;
using win::RGB;
using Clock = std::chrono::steady_clock;

using DefaultDlgTest = On<72>;

bool Shown(const win::CWnd& wnd) {
    return !wnd.GetNative()->isHidden();
}

// The second unit's window: every pane of it is that unit's.
TEST_F(DefaultDlgTest, OpensHiddenWithTheFirstPageStarted) {
    sim::SimUnit& a = StartUnit({.note = "Mast 7"});
    sim::SimUnit& b = StartUnit({.note = "ABCDEFGHIJKLMNOP"});
    AddUnit(a);
    ASSERT_EQ(AddUnit(b), 1);
    DefaultDlg& w = Window(1);
    ASSERT_NE(&Window(0), &w);
    EXPECT_EQ(host.refreshes, 2);
    EXPECT_FALSE(w.IsWindowVisible());
    EXPECT_EQ(w.GetWindowText(), "ABCDEFGHIJKLMNOP (" + b.Config().address + ") \x96 TM80");
    EXPECT_EQ(w.GetTabStrip().GetItemCount(), 2);
    EXPECT_FALSE(w.HasCalibrationTab());
    EXPECT_EQ(w.GetUnitIndex(), 1);
    // The pages, then the status header and the identity pane.
    ASSERT_EQ(w.GetPaneCount(), 5);
    const Dlgplus* panes[] = {w.GetPage(0),         w.GetPage(1),         w.GetPage(2),
                              &w.GetStatusHeader(), &w.GetIdentityPane(), nullptr};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(w.GetPane(i), panes[i]) << i;
    }
    EXPECT_EQ(Page<PrimarySetupDlg>(1, DefaultDlg::kPrimarySetupPage).GetUnitIndex(), 1);
    EXPECT_EQ(Sys(1).GetUnitIndex(), 1);
    EXPECT_EQ(Page<Calibration>(1, DefaultDlg::kCalibrationPage).GetUnitIndex(), 1);
    EXPECT_EQ(w.GetStatusHeader().GetUnitIndex(), 1);
    EXPECT_EQ(w.GetIdentityPane().GetUnitIndex(), 1);
    // The first page is started and shown; the others stay hidden and idle.
    for (int i = 0; i < DefaultDlg::kPageCount; ++i) {
        EXPECT_EQ(Shown(*w.GetPage(i)->GetWindow()), i == 0) << i;
    }
    EXPECT_TRUE(Shown(w.GetStatusHeader()) && Shown(w.GetIdentityPane()));

    // The identity pane's texts are written when asked: a note edited on the
    // system page shows at the pane's next refresh.
    Info& info = w.GetIdentityPane();
    EXPECT_EQ(info.GetDlgItemText(Info::kIdAddress), b.Config().address);
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "ABCDEFGHIJKLMNOP");
    Slot(1).userNote = "Edited";
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "ABCDEFGHIJKLMNOP");
    info.UpdateValues();
    EXPECT_EQ(info.GetDlgItemText(Info::kIdDeviceId), "Edited");
    EXPECT_EQ(Window(0).GetIdentityPane().GetDlgItemText(Info::kIdAddress), a.Config().address);
}

TEST_F(DefaultDlgTest, HeaderShowsUnitLineInItsColoursRecalledFileLogoAndQuietAlarm) {
    TheSystemConfiguration().DeviceColors[1] = {RGB(200, 30, 40), RGB(255, 255, 255)};
    const std::pair<const char*, const char*> cases[] = {{"Mast 7", " Mast 7  "}, {"", "   "}};
    for (const auto& [note, before] : cases) {
        SCOPED_TRACE(note);
        sim::SimUnit& unit = StartUnit({.note = note});
        StatusDlg& header = Window(AddUnit(unit)).GetStatusHeader();
        EXPECT_EQ(header.GetUnitLine().GetLabelText(), before + unit.Config().address);
        EXPECT_EQ(header.GetFileLine().GetLabelText(), "No File Loaded");
        EXPECT_TRUE(header.GetLogo().IsLoaded());
        // The alarm label cannot be seen until an alarm colours it.
        const win::COLORREF background = TheColorScheme().Main.Background;
        EXPECT_EQ(header.GetAlarmLabel().GetTextColor(), background);
        EXPECT_EQ(header.GetAlarmLabel().GetBkColor(), background);
    }
    // The second unit's line in its colours: the strip left of the file line,
    // past the short text.
    DefaultDlg& w = Window(1);
    w.ShowNormal();
    Settle();
    StatusDlg& header = w.GetStatusHeader();
    // The template's rectangles, so that a line moved by the code shows.
    const int height = header.Units().ToPixels(0, 0, 383, 10).Height();
    const win::CRect file = header.Units().ToPixels(106, 0, 275, 10);
    const int x = file.left - 20;
    QImage image = Grab(header);
    EXPECT_EQ(CountColour(image, RGB(200, 30, 40), x, 0, 16, height), 16 * height);
    EXPECT_EQ(PixelAt(image, file.left + 4, file.top + 1), RGB(255, 255, 255));

    // The recalled file belongs to the application, and new colours are the
    // configuration's: every header shows them once refreshed.
    TheSystemConfiguration().DeviceColors[1].Background = RGB(10, 120, 60);
    CurrentSetupFile() = "/tmp/setups/Mast.stp";
    for (int i = 0; i < 2; ++i) {
        Window(i).UpdateHeader();
        EXPECT_EQ(Window(i).GetStatusHeader().GetFileLine().GetLabelText(), "/tmp/setups/Mast.stp");
    }
    Settle();
    image = Grab(header);
    EXPECT_EQ(CountColour(image, RGB(10, 120, 60), x, 0, 16, height), 16 * height);
    // A missing logo leaves the picture empty, nothing else.
    TheEnvironment().ImagesFolder = "/nonexistent/images/";
    EXPECT_FALSE(Window(AddUnit(StartUnit())).GetStatusHeader().GetLogo().IsLoaded());
}

using UnitWaitsTest = On<79>;

// Status reads the unit received from `from` on, as times.
std::vector<Clock::time_point> StatusReads(const sim::SimUnit& unit, Clock::time_point from) {
    std::vector<Clock::time_point> reads;
    for (const auto& frame : unit.Frames()) {
        if (frame.command == 0x2002 && frame.at >= from) {
            reads.push_back(frame.at);
        }
    }
    return reads;
}
int Threads() {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator{}));
}

TEST_F(UnitWaitsTest, HealthyUnitKeepsItsPaceBesideFaultyOnes) {
    sim::SimUnit& healthy = StartUnit({.note = "Healthy"});
    AddUnit(healthy);
    const std::pair<sim::Fault, int> faults[] = {
        {sim::Fault::Silent, 0}, {sim::Fault::DelayedReply, 1500}, {sim::Fault::SlowBytes, 50}};
    std::vector<sim::SimUnit*> faulty;
    for (std::size_t i = 0; i < std::size(faults); ++i) {
        AddUnit(*faulty.emplace_back(&StartUnit({.note = "Faulty"})));
    }
    for (std::size_t i = 0; i < faulty.size(); ++i) {
        faulty[i]->SetFault(faults[i].first, faults[i].second);
        faulty[i]->ClearFrames();
    }
    // A 10 ms timer over 6 s: how long the event loop was ever held. Each
    // faulty unit's first failing reads come in this time; waited for on the
    // GUI thread, each held it for a second.
    Clock::duration longest{};
    auto last = Clock::now();
    const auto start = last;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto now = Clock::now();
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
    const auto added = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return !StatusReads(other, added).empty(); }));
    WaitIdle(slot);
    busy.SetFault(sim::Fault::DelayedReply, 2500);
    const auto start = Clock::now();
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
    for (sim::SimUnit* unit : units) {
        AddUnit(*unit);
    }
    EXPECT_EQ(Threads(), threads + 3) << "one worker per unit";
    // Each unit goes silent with a note read in flight, which would wait out
    // its budget of a second.
    for (int i = 0; i < 3; ++i) {
        WaitIdle(Slot(i));
        units[i]->SetFault(sim::Fault::Silent);
        Window(i).NoteCheck();
    }
    QElapsedTimer clock;
    clock.start();
    TheSlotTable().Release(0);
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
