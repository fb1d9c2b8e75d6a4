// The fault matrix: every fault of the simulated unit and of its WIZnet
// module against every place that talks to a unit. In each cell the place
// returns within its budget, and what it reports is true: a success agrees
// with the unit, a failure carries its flags and texts. A crash ends the test.
//
// Each row is a test of its own, so CTest runs rows side by side. The cells of
// a row that keeps no process-wide state run in parallel threads; the others
// (the device window, the discovery list) one after the other.
//
// A new place is one line in kRows with the function that runs one cell.
#include "app/mainwindow/SetupMenuCommands.h"
#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "device/PageSetupParts.h"
#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "devicewindow/QtGuiThread.h"
#include "devicewindow/UnitCondition.h"
#include "infra/ColorScheme.h"
#include "platform/DebugOutput.h"
#include "platform/WinSock.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"
#include "tests/sim/SimTestUnit.h"
#include "testsupport/ScriptedCommonDialogs.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <ostream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Fault {
    const char* name;
    sim::Fault unit;
    sim::ModuleFault module;
    int param;
};

using sim::ModuleFault;
using UF = sim::Fault;

// The columns. Parameters put each fault clearly on one side of every budget.
const Fault kFaults[] = {
    {"None", UF::None, ModuleFault::None, 0},
    {"Silent", UF::Silent, ModuleFault::None, 0},
    {"HeaderOnly", UF::HeaderOnly, ModuleFault::None, 0},
    {"SlowBytes", UF::SlowBytes, ModuleFault::None, 1},               // each byte its own segment
    {"DelayedReply", UF::DelayedReply, ModuleFault::None, 3100},      // after the control budget
    {"CloseAfterFrames", UF::CloseAfterFrames, ModuleFault::None, 0}, // hangs up at once
    {"Reset", UF::Reset, ModuleFault::None, 0},
    {"Garbage", UF::Garbage, ModuleFault::None, 0},
    {"NotListening", UF::NotListening, ModuleFault::None, 0},
    {"SilentTcp", UF::None, ModuleFault::SilentTcp, 0},
    {"UnitType", UF::None, ModuleFault::UnitType, 0},
    {"InvalidTypeReply", UF::None, ModuleFault::InvalidTypeReply, 0},
    {"NoLI", UF::None, ModuleFault::NoLI, 0},
    {"LIOctetAbove255", UF::None, ModuleFault::LIOctetAbove255, 0},
    {"LIMissingSeparators", UF::None, ModuleFault::LIMissingSeparators, 0},
    {"DelayedAnswer", UF::None, ModuleFault::DelayedAnswer, 200},
    {"ListenState", UF::None, ModuleFault::ListenState, 0},
};
constexpr std::size_t kColumns = std::size(kFaults);

void Apply(sim::SimUnit& unit, const Fault& fault) {
    unit.SetFault(fault.unit, fault.param);
    unit.SetModuleFault(fault.module, fault.param);
}

// What a place reported in one cell.
struct Outcome {
    bool succeeded = false;   // what the place reported
    bool matchesUnit = false; // a success agrees with what the unit holds
    std::string wrongFailure; // what a reported failure got wrong; empty when right
};

struct Cell {
    sim::SimUnit& unit;
    const Fault& fault;
    std::string address;
};

bool Connected(TCPCom& connection, Outcome& out) {
    if (connection.IsConnected()) {
        return true;
    }
    if (std::string(connection.LastErrorText()).find("***** connect() failed.\r\n") ==
        std::string::npos) {
        out.wrongFailure = "no failure text for the refused connect";
    }
    return false;
}

// A slot on a new connection to the cell's unit, or nullptr when the
// connection was refused (Connected tells `out` whether that was said).
std::unique_ptr<UnitSlot> ConnectSlot(const Cell& cell, Outcome& out) {
    auto connection = std::make_unique<TCPCom>(cell.address.c_str());
    if (!Connected(*connection, out)) {
        return nullptr;
    }
    auto model = std::make_unique<CTM80M1_Comm>(connection.get());
    return std::make_unique<UnitSlot>(0, std::move(connection), std::move(model));
}

// The open sequence, without windows. It ends at its first failed exchange.
Outcome OpenSequence(const Cell& cell) {
    Apply(cell.unit, cell.fault);
    Outcome out;
    const auto slot = ConnectSlot(cell, out);
    if (slot == nullptr) {
        return out;
    }
    out.succeeded = slot->Open(nullptr) == 1;
    out.matchesUnit = slot->userNote == cell.unit.Note() && slot->bandCount > 0;
    // Every fault here fails the first exchange already.
    if (!out.succeeded && cell.unit.Frames().size() != 1) {
        out.wrongFailure = "went on after the first exchange failed";
    }
    return out;
}

// A page's write through the unit model: the adjustment of output 3.
Outcome AdjustmentWrite(const Cell& cell) {
    Apply(cell.unit, cell.fault);
    Outcome out;
    TCPCom connection(cell.address.c_str());
    if (!Connected(connection, out)) {
        return out;
    }
    CTM80M1_Comm model(&connection);
    model.settings.adjustments[2] = 7;
    out.succeeded = model.SetOutputAdjustment(2, -3) == 1;
    out.matchesUnit = model.settings.adjustments[2] == -3 && cell.unit.Adjustments()[2] == -3;
    if (!out.succeeded && model.settings.adjustments[2] != 7) {
        out.wrongFailure = "the model took a value the unit did not confirm";
    }
    return out;
}

// The unit model's status read: the readings, or all three zeroed.
Outcome StatusRead(const Cell& cell) {
    Apply(cell.unit, cell.fault);
    cell.unit.SetStatus(45, 120, 15);
    Outcome out;
    TCPCom connection(cell.address.c_str());
    if (!Connected(connection, out)) {
        return out;
    }
    CTM80M1_Comm model(&connection);
    model.status = UnitStatus{99.0, 99.0, 99.0}; // an earlier reading
    out.succeeded = model.ReadStatus() == 1;
    const UnitStatus& got = model.status;
    out.matchesUnit = got.temperature == 45.0 && got.voltage == 12.0 && got.current == 1.5;
    if (!out.succeeded && (got.temperature != 0.0 || got.voltage != 0.0 || got.current != 0.0)) {
        out.wrongFailure = "readings kept after a failed read";
    }
    return out;
}

// A setup recall applied to the unit, as tm80ctl and a fresh device window
// send it: the file's adjustment reaches the unit, or the apply says it failed.
Outcome SetupRecall(const Cell& cell) {
    Apply(cell.unit, cell.fault);
    Outcome out;
    FreshWindowHost host; // outlives the slot, which holds its panes
    const auto slot = ConnectSlot(cell, out);
    if (slot == nullptr) {
        return out;
    }
    slot->AttachWindow(&host);
    const std::string file =
        (std::filesystem::temp_directory_path() / ("tm80-matrix-" + cell.address + ".TM80"))
            .string();
    slot->adjustments[2] = -3;
    if (slot->SaveSetup(file) == 0 || slot->RecallSetup(file) == 0) {
        out.wrongFailure = "the setup file could not be saved and recalled";
        return out;
    }
    std::filesystem::remove(file);
    out.succeeded = slot->ApplyRecalledSetup() == 1;
    out.matchesUnit = cell.unit.Adjustments()[2] == -3;
    return out;
}

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

std::string ReadAll(int fd) {
    std::string text;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

// Runs `path` with `args`. The pipes are close-on-exec, so programs started
// side by side do not hold each other's ends open.
ProgramRun RunProgram(const char* path, std::vector<std::string> args) {
    ProgramRun run;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const bool spawned = posix_spawn(&pid, path, &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    run.out = ReadAll(out[0]);
    run.err = ReadAll(err[0]);
    if (spawned) {
        ::waitpid(pid, &run.status, 0);
    }
    return run;
}

// tm80ctl reading the note: exit status, output and message.
Outcome CtlNote(const Cell& cell) {
    Apply(cell.unit, cell.fault);
    const ProgramRun run = RunProgram(TM80CTL_PATH, {cell.address, "note"});
    Outcome out;
    const int status = WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
    out.succeeded = status == 0;
    out.matchesUnit = run.out == cell.unit.Note() + "\n" && run.err.empty();
    const std::string failed = "Exchange with " + cell.address + " failed: reading the note\n";
    const std::string refused = "Connection could not be made with " + cell.address + "\n";
    if (status != 1 || !run.out.empty() || (run.err != failed && run.err != refused)) {
        out.wrongFailure = "exit " + std::to_string(status) + ", stderr: " + run.err;
    }
    return out;
}

// A unit opened into the slot table with its I/O worker and its device window
// before the fault, as the main window opens it, with no flags set; released
// at the end of the cell. Rows that act on an open unit start here.
class OpenedUnit {
public:
    explicit OpenedUnit(const Cell& cell) : index_(TheSlotTable().Claim()) {
        auto worker = std::make_unique<UnitWorker>(TheGuiThread());
        auto connection = worker->Connect(cell.address);
        auto model = std::make_unique<CTM80M1_Comm>(connection.get());
        TheSlotTable().At(index_).slot = std::make_unique<UnitSlot>(
            index_, std::move(connection), std::move(model), std::move(worker));
        opened_ = Slot().Open(&host_) == 1;
        // A read the window's timers sent meanwhile must not meet the fault.
        dwtest::WaitUntil([this] { return !Slot().Unit()->Busy(); });
        Dialogs().ClearHistory();
        ResetUnitFlags();
    }
    ~OpenedUnit() { TheSlotTable().Release(index_); }
    OpenedUnit(const OpenedUnit&) = delete;
    OpenedUnit& operator=(const OpenedUnit&) = delete;

    bool Opened() const { return opened_; }
    int Index() const { return index_; }
    UnitSlot& Slot() const { return *TheSlotTable().Slot(index_); }
    DefaultDlg& Window() const { return dynamic_cast<DefaultDlg&>(*Slot().DeviceWindow()); }
    static win::ScriptedCommonDialogs& Dialogs() {
        return dynamic_cast<win::ScriptedCommonDialogs&>(win::CommonDialogs::Current());
    }

private:
    dwtest::TestHost host_;
    int index_;
    bool opened_ = false;
};

// One tick of the device window's note check.
Outcome NoteCheck(const Cell& cell) {
    Outcome out;
    OpenedUnit opened(cell);
    if (!opened.Opened()) {
        out.wrongFailure = "the unit could not be opened before the fault";
        return out;
    }
    Apply(cell.unit, cell.fault);
    opened.Window().NoteCheck();
    dwtest::WaitUntil([&] { return !opened.Slot().Unit()->Busy(); });

    const int index = opened.Index();
    const UnitSlot& slot = opened.Slot();
    const auto& dialogs = OpenedUnit::Dialogs();
    out.succeeded = ConnectionLostFlag()[static_cast<std::size_t>(index)] == 0;
    out.matchesUnit = slot.Unit()->identity.userNote.data() == cell.unit.Note();
    // Garbage, whose header answers no request, fails the read like silence.
    const std::string expected = "TCP connection to Device " + std::to_string(index + 1) + " (" +
                                 cell.address + ") was lost.";
    if (dialogs.History().size() != 1 ||
        dialogs.History()[0].message.text.rfind(expected, 0) != 0) {
        out.wrongFailure =
            "notice: " +
            (dialogs.History().empty() ? std::string("none") : dialogs.History()[0].message.text);
    }
    return out;
}

// The Info page of the opened unit once the unit reads 45 C, 12.0 V, 1.5 A
// and has the cell's fault; nullptr, with `out` saying why, when there is none.
SystemDlg* InfoPageUnderFault(const OpenedUnit& opened, const Cell& cell, Outcome& out) {
    if (!opened.Opened()) {
        out.wrongFailure = "the unit could not be opened before the fault";
        return nullptr;
    }
    cell.unit.SetStatus(45, 120, 15);
    Apply(cell.unit, cell.fault);
    auto* page = dynamic_cast<SystemDlg*>(opened.Window().GetPage(DefaultDlg::kSystemPage));
    if (page == nullptr) {
        out.wrongFailure = "no Info page";
    }
    return page;
}

// One tick of the Info page's status refresh: the unit's readings, or zeroes.
Outcome StatusRefresh(const Cell& cell) {
    Outcome out;
    OpenedUnit opened(cell);
    SystemDlg* page = InfoPageUnderFault(opened, cell, out);
    if (page == nullptr) {
        return out;
    }
    opened.Slot().Unit()->status = UnitStatus{99.0, 99.0, 99.0}; // an earlier reading
    dwtest::RefreshNow(*page);
    const UnitStatus& got = opened.Slot().Unit()->status;
    const bool zeroed = got.temperature == 0.0 && got.voltage == 0.0 && got.current == 0.0;
    out.succeeded = !zeroed;
    out.matchesUnit = got.temperature == 45.0 && got.voltage == 12.0 && got.current == 1.5;
    if (!zeroed && !out.matchesUnit) {
        out.wrongFailure = "readings neither the unit's nor zeroed";
    }
    return out;
}

// What the window shows of an open unit after one note check and one status
// refresh: the unit's readings with lit lights and "Answering" on its row
// while it answers; unknown readings ("---"), unlit lights and "Connection
// lost" on its row once the check found it lost.
Outcome LostShown(const Cell& cell) {
    Outcome out;
    OpenedUnit opened(cell);
    SystemDlg* page = InfoPageUnderFault(opened, cell, out);
    if (page == nullptr) {
        return out;
    }
    DefaultDlg& window = opened.Window();
    window.NoteCheck();
    dwtest::WaitUntil([&] { return !opened.Slot().Unit()->Busy(); });
    dwtest::RefreshNow(*page);

    const std::string temperature = page->MonitorValue(SystemDlg::Temperature).GetWindowText();
    const std::string voltage = page->MonitorValue(SystemDlg::Voltage).GetWindowText();
    const bool lit = page->MonitorLight(SystemDlg::Temperature).GetFillColor() !=
                         TheColorScheme().Main.Background ||
                     page->BandLight(1).GetFillColor() != TheColorScheme().Main.Background;
    const std::string row = UnitConditionText(window.Condition());
    out.succeeded = window.Condition() == UnitCondition::Answering;
    out.matchesUnit = temperature == "45 \260C" && voltage == "12.0 V" && lit;
    if (!out.succeeded &&
        (temperature != "---" || voltage != "---" || lit || row.rfind("Connection lost", 0) != 0)) {
        out.wrongFailure = "shown: " + temperature + ", " + voltage + (lit ? ", lit" : ", unlit") +
                           "; row: " + row;
    }
    return out;
}

// File > Recall Setup of an open unit, as the main window's menu runs it: a
// success names the file in the headers and the unit holds the setup; a
// failure says so, keeps the file named before, and the slot shows what the
// unit holds.
Outcome RecallReported(const Cell& cell) {
    Outcome out;
    OpenedUnit opened(cell);
    if (!opened.Opened()) {
        out.wrongFailure = "the unit could not be opened before the fault";
        return out;
    }
    UnitSlot& slot = opened.Slot();
    const std::string file =
        (std::filesystem::temp_directory_path() / ("tm80-matrix-" + cell.address + ".TM80"))
            .string();
    const std::int8_t held = slot.adjustments[2];
    const int band = slot.bandSelection[0];
    slot.adjustments[2] = -3;
    slot.bandSelection[0] = 1 - band;
    const bool saved = slot.SaveSetup(file) == 1;
    slot.adjustments[2] = held;
    slot.bandSelection[0] = band;
    if (!saved) {
        out.wrongFailure = "the setup file could not be saved";
        return out;
    }
    CurrentSetupFile() = "before.TM80";
    Apply(cell.unit, cell.fault);
    OpenedUnit::Dialogs().AnswerFile(file);
    SetupMenuCommands::RecallSetup(nullptr, opened.Index() + 1);
    std::filesystem::remove(file);

    const auto& shown = OpenedUnit::Dialogs().History();
    out.succeeded = shown.size() == 1 && CurrentSetupFile() == file;
    out.matchesUnit = cell.unit.Adjustments()[2] == -3 &&
                      cell.unit.BandSelection()[0] == 1 - band && slot.adjustments[2] == -3 &&
                      slot.bandSelection[0] == 1 - band;
    if (out.succeeded) {
        return out;
    }
    const std::string message = "The setup in " + file + " could not be sent to Device " +
                                std::to_string(opened.Index() + 1) + ".";
    const std::vector<int> shownAdjustments(slot.adjustments.begin(), slot.adjustments.end());
    const std::vector<int> shownBands(slot.bandSelection.begin(), slot.bandSelection.end());
    if (shown.size() != 2 || shown[1].message.text != message) {
        out.wrongFailure = "no message that the setup was not sent";
    } else if (CurrentSetupFile() != "before.TM80") {
        out.wrongFailure = "the header names the file not sent";
    } else if (shownAdjustments != cell.unit.Adjustments() ||
               shownBands != cell.unit.BandSelection() || slot.split != cell.unit.Split()) {
        out.wrongFailure = "the slot shows what the unit does not hold";
    }
    return out;
}

constexpr int kDiscoveryWindowMs = 400;

// One discovery: the unit behind the module is listed with what it told, or nothing is.
Outcome Discovery(const Cell& cell) {
    Apply(cell.unit, cell.fault);
    win::WSADATA data;
    win::WSAStartup(win::MAKEWORD(2, 2), &data);
    win::SetDebugOutputSink([](std::string_view) {}); // the discovery's trace
    DiscoverWizNET_Devices(
        DiscoveryTarget{"127.255.255.255", cell.unit.Config().discoveryPort, kDiscoveryWindowMs});
    win::SetDebugOutputSink({});
    win::WSACleanup();
    Outcome out;
    const auto& units = DiscoveryList::Instance().Units();
    out.succeeded = !units.empty();
    out.matchesUnit = units.size() == 1 && units[0].addressText == cell.address &&
                      units[0].NoteText() == cell.unit.Note() &&
                      units[0].ModelText() == cell.unit.Config().model;
    if (!out.succeeded && !units.empty()) {
        out.wrongFailure = "listed";
    }
    return out;
}

enum class Run { Parallel, InTurn, InTurnInPrivateNamespace };

struct Row {
    const char* name;
    Outcome (*place)(const Cell&);
    Run run;
    bool module;  // the unit has its WIZnet module
    int budgetMs; // the longest the place may take by its exchanges' budgets
    // One letter per column of kFaults: S succeeds, F fails, * either.
    const char* expected;
};

// Budgets: sequences end at their first failed exchange, so the open
// sequence's two control exchanges of 3000 ms and a read of 1000 ms; a read
// and the graceful close of 1000 ms for tm80ctl; a setup recall's control
// exchange; the pause, the window and the longest TCP wait for the discovery.
// A reply of garbage answers no request (its header does not match): F.
const Row kRows[] = {
    {"OpenSequence", OpenSequence, Run::Parallel, false, 2 * 3000 + 1000, "SFFSFFFFFFSSSSSSS"},
    {"AdjustmentWrite", AdjustmentWrite, Run::Parallel, false, 1000, "SFSSFFFFFFSSSSSSS"},
    {"StatusRead", StatusRead, Run::Parallel, false, 1000, "SFFSFFFFFFSSSSSSS"},
    {"Tm80CtlNote", CtlNote, Run::Parallel, false, 2000, "SFFSFFFFFFSSSSSSS"},
    {"NoteCheck", NoteCheck, Run::InTurn, false, 1000, "SFFSFFFFSFSSSSSSS"},
    {"StatusRefresh", StatusRefresh, Run::InTurn, false, 1000, "SFFSFFFFSFSSSSSSS"},
    {"LostShown", LostShown, Run::InTurn, false, 2 * 1000, "SFFSFFFFSFSSSSSSS"},
    {"SetupRecall", SetupRecall, Run::Parallel, false, 3000, "SFFSFFFFFFSSSSSSS"},
    {"RecallReported", RecallReported, Run::InTurn, false, 3000, "SFFSFFFFSFSSSSSSS"},
    {"Discovery", Discovery, Run::InTurnInPrivateNamespace, true, 100 + kDiscoveryWindowMs + 1000,
     "SFFSFFFFFFFFFSFSS"},
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

// Room for a loaded machine and the sanitizers.
int Margin(int budgetMs) {
    return budgetMs / 2 + 1500;
}

class FaultMatrix : public dwtest::DeviceWindowTest, public ::testing::WithParamInterface<Row> {
protected:
    FaultMatrix() : DeviceWindowTest(61) {}
};

TEST_P(FaultMatrix, EveryFault) {
    const Row& row = GetParam();
    ASSERT_EQ(std::string(row.expected).size(), kColumns);
    // Broadcasts go out only inside a private network namespace.
    if (row.run == Run::InTurnInPrivateNamespace && nstest::RanInPrivateNamespace()) {
        return;
    }

    // Each cell has a unit of its own, there only while the cell runs: in a
    // discovery every module present would answer.
    std::vector<Outcome> outcomes(kColumns);
    std::vector<int> took(kColumns);
    auto runCell = [&](std::size_t c) {
        sim::UnitConfig config;
        config.module = row.module;
        auto unit = simtest::StartUnit(61, std::string(row.name) + "." + kFaults[c].name, config);
        if (unit == nullptr) {
            outcomes[c].wrongFailure = "no simulated unit could be started";
            return;
        }
        const auto start = std::chrono::steady_clock::now();
        outcomes[c] = row.place(Cell{*unit, kFaults[c], unit->Config().address});
        took[c] = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - start)
                                       .count());
    };
    if (row.run == Run::Parallel) {
        std::vector<std::thread> threads;
        for (std::size_t c = 0; c < kColumns; ++c) {
            threads.emplace_back(runCell, c);
        }
        for (auto& t : threads) {
            t.join();
        }
    } else {
        for (std::size_t c = 0; c < kColumns; ++c) {
            runCell(c);
        }
    }

    for (std::size_t c = 0; c < kColumns; ++c) {
        SCOPED_TRACE(std::string(row.name) + " x " + kFaults[c].name);
        const Outcome& out = outcomes[c];
        EXPECT_LE(took[c], row.budgetMs + Margin(row.budgetMs));
        switch (row.expected[c]) {
        case 'S':
            EXPECT_TRUE(out.succeeded) << out.wrongFailure;
            EXPECT_TRUE(out.matchesUnit) << "reported success that disagrees with the unit";
            break;
        case 'F':
            EXPECT_FALSE(out.succeeded) << "reported success";
            EXPECT_EQ(out.wrongFailure, "");
            break;
        default:
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultMatrix, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
