// The fault matrix: every fault of the simulated unit and of its WIZnet
// module against every place that talks to a unit. In each cell the place
// returns within its budget, and what it reports is true: a success agrees
// with the unit, a failure carries its flags and texts. A crash ends the test.
// Each row is a test of its own; the cells of a row that keeps no
// process-wide state run in parallel threads, the others in turn.
#include "app/mainwindow/SetupMenuCommands.h"
#include "device/DiscoverWizNET_Devices.h"
#include "device/DiscoveryList.h"
#include "device/PageSetupParts.h"
#include "devicewindow/UnitCondition.h"
#include "infra/ColorScheme.h"
#include "platform/DebugOutput.h"
#include "platform/WinSock.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"
#include "tests/infra/TempFolder.h"
#include "tests/sim/SimTestUnit.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace dwtest;
using MF = sim::ModuleFault;
using UF = sim::Fault;

struct Fault {
    const char* name;
    UF unit = UF::None;
    MF module = MF::None;
    int param = 0;
};

// The columns. Parameters put each fault clearly on one side of every budget:
// each slow byte its own segment, a delayed reply after the control budget,
// the hang-up at once.
const Fault kFaults[] = {{"None"},
                         {"Silent", UF::Silent},
                         {"HeaderOnly", UF::HeaderOnly},
                         {"SlowBytes", UF::SlowBytes, MF::None, 1},
                         {"DelayedReply", UF::DelayedReply, MF::None, 3100},
                         {"CloseAfterFrames", UF::CloseAfterFrames},
                         {"Reset", UF::Reset},
                         {"Garbage", UF::Garbage},
                         {"NotListening", UF::NotListening},
                         {"SilentTcp", UF::None, MF::SilentTcp},
                         {"UnitType", UF::None, MF::UnitType},
                         {"InvalidTypeReply", UF::None, MF::InvalidTypeReply},
                         {"NoLI", UF::None, MF::NoLI},
                         {"LIOctetAbove255", UF::None, MF::LIOctetAbove255},
                         {"LIMissingSeparators", UF::None, MF::LIMissingSeparators},
                         {"DelayedAnswer", UF::None, MF::DelayedAnswer, 200},
                         {"ListenState", UF::None, MF::ListenState}};
constexpr std::size_t kColumns = std::size(kFaults);

// What a place reported in one cell.
struct Outcome {
    bool succeeded = false;   // what the place reported
    bool matchesUnit = false; // a success agrees with what the unit holds
    std::string wrongFailure; // what a reported failure got wrong; empty when right
};

// One cell: its unit reads 45 C, 12.0 V, 1.5 A and has the fault. Rows that
// act on an open unit have it opened before the fault at `index`.
struct Cell {
    sim::SimUnit& unit;
    std::string address;
    win::ScriptedCommonDialogs& dialogs;
    const TempFolder& files;
    int index = -1;

    std::string TempFile(const char* extension) const { return files / (address + extension); }
};

// `act` on a slot on a new connection to the cell's unit; a refused connection
// is a failure, which must say so.
template <class Act> Outcome OnNewSlot(const Cell& cell, Act act) {
    auto connection = std::make_unique<TCPCom>(cell.address.c_str());
    if (!connection->IsConnected()) {
        const bool said = std::strstr(connection->LastErrorText(), "***** connect() failed.\r\n");
        return {false, false, said ? "" : "no failure text for the refused connect"};
    }
    auto model = std::make_unique<CTM80M1_Comm>(connection.get());
    UnitSlot slot(0, std::move(connection), std::move(model));
    return act(slot);
}

// The open sequence, without windows. It ends at its first failed exchange.
Outcome OpenSequence(const Cell& cell) {
    return OnNewSlot(cell, [&](UnitSlot& slot) -> Outcome {
        const bool opened = slot.Open(nullptr) == 1;
        // Every fault here fails the first exchange already.
        return {opened, slot.userNote == cell.unit.Note() && slot.bandCount > 0,
                !opened && cell.unit.Frames().size() != 1
                    ? "went on after the first exchange failed"
                    : ""};
    });
}

// A page's write through the unit model, the adjustment of output 3, and the
// model's status read: the unit's values, or what the model held before (the
// adjustment) or zeroes (the readings).
Outcome ModelExchange(const Cell& cell, bool write) {
    return OnNewSlot(cell, [&](UnitSlot& slot) -> Outcome {
        CTM80M1_Comm& model = *slot.Unit();
        model.settings.adjustments[2] = 7;
        model.status = UnitStatus{99.0, 99.0, 99.0}; // an earlier reading
        const UnitStatus& got = model.status;
        if (write) {
            const bool took = model.SetOutputAdjustment(2, -3) == 1;
            const int held = model.settings.adjustments[2];
            return {took, held == -3 && cell.unit.Adjustments()[2] == -3,
                    !took && held != 7 ? "the model took a value the unit did not confirm" : ""};
        }
        const bool read = model.ReadStatus() == 1;
        return {read, got.temperature == 45.0 && got.voltage == 12.0 && got.current == 1.5,
                !read && (got.temperature != 0.0 || got.voltage != 0.0 || got.current != 0.0)
                    ? "readings kept after a failed read"
                    : ""};
    });
}

// A setup recall applied to the unit, as tm80ctl and a fresh device window
// send it: the file's adjustment reaches the unit, or the apply says it failed.
Outcome SetupRecall(const Cell& cell) {
    FreshWindowHost host; // outlives the slot, which holds its panes
    return OnNewSlot(cell, [&](UnitSlot& slot) -> Outcome {
        slot.AttachWindow(&host);
        const std::string file = cell.TempFile(".TM80");
        slot.adjustments[2] = -3;
        if (slot.SaveSetup(file) == 0 || slot.RecallSetup(file) == 0) {
            return {false, false, "the setup file could not be saved and recalled"};
        }
        return {slot.ApplyRecalledSetup() == 1, cell.unit.Adjustments()[2] == -3, ""};
    });
}

// tm80ctl reading the note: exit status, output and message.
Outcome CtlNote(const Cell& cell) {
    const std::string output = cell.TempFile(".out"), errors = cell.TempFile(".err");
    const int ended = std::system(
        ("'" TM80CTL_PATH "' " + cell.address + " note >" + output + " 2>" + errors).c_str());
    const int status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
    const std::string printed = ReadFile(output), err = ReadFile(errors);
    const std::string failed = "Exchange with " + cell.address + " failed: reading the note\n";
    const std::string refused = "Connection could not be made with " + cell.address + "\n";
    const bool rightFailure = status == 1 && printed.empty() && (err == failed || err == refused);
    return {status == 0, printed == cell.unit.Note() + "\n" && err.empty(),
            rightFailure ? "" : "exit " + std::to_string(status) + ", stderr: " + err};
}

// One tick of the device window's note check.
Outcome NoteCheck(const Cell& cell) {
    Window(cell.index).NoteCheck();
    WaitIdle(Slot(cell.index));
    const auto& shown = cell.dialogs.History();
    // Garbage, whose header answers no request, fails the read like silence.
    const std::string expected = "TCP connection to Device " + std::to_string(cell.index + 1) +
                                 " (" + cell.address + ") was lost.";
    const bool told = shown.size() == 1 && shown[0].message.text.starts_with(expected);
    return {!Lost(cell.index),
            Slot(cell.index).Unit()->identity.userNote.data() == cell.unit.Note(),
            told ? "" : "notice: " + (shown.empty() ? "none" : shown[0].message.text)};
}

// One tick of the Info page's status refresh: the unit's readings, or zeroes.
Outcome StatusRefresh(const Cell& cell) {
    UnitStatus& got = Slot(cell.index).Unit()->status;
    got = UnitStatus{99.0, 99.0, 99.0}; // an earlier reading
    RefreshNow(Sys(cell.index));
    const bool zeroed = got.temperature == 0.0 && got.voltage == 0.0 && got.current == 0.0;
    const bool unit = got.temperature == 45.0 && got.voltage == 12.0 && got.current == 1.5;
    return {!zeroed, unit, !zeroed && !unit ? "readings neither the unit's nor zeroed" : ""};
}

// What the window shows of an open unit after one note check and one status
// refresh: the unit's readings with lit lights and "Answering" on its row
// while it answers; unknown readings ("---"), unlit lights and "Connection
// lost" on its row once the check found it lost.
Outcome LostShown(const Cell& cell) {
    DefaultDlg& window = Window(cell.index);
    SystemDlg& page = Sys(cell.index);
    window.NoteCheck();
    WaitIdle(Slot(cell.index));
    RefreshNow(page);
    const std::string temperature = page.MonitorValue(SystemDlg::Temperature).GetWindowText();
    const std::string voltage = page.MonitorValue(SystemDlg::Voltage).GetWindowText();
    const win::COLORREF unlit = TheColorScheme().Main.Background;
    const bool lit = page.MonitorLight(SystemDlg::Temperature).GetFillColor() != unlit ||
                     page.BandLight(1).GetFillColor() != unlit;
    const std::string row = UnitConditionText(window.Condition());
    const bool answering = window.Condition() == UnitCondition::Answering;
    const bool lostShown =
        temperature == "---" && voltage == "---" && !lit && row.starts_with("Connection lost");
    return {answering, temperature == "45 \260C" && voltage == "12.0 V" && lit,
            answering || lostShown ? ""
                                   : "shown: " + temperature + ", " + voltage +
                                         (lit ? ", lit" : ", unlit") + "; row: " + row};
}

// File > Recall Setup of an open unit, as the main window's menu runs it: a
// success names the file in the headers and the unit holds the setup; a
// failure says so, keeps the file named before, and the slot shows what the
// unit holds.
Outcome RecallReported(const Cell& cell) {
    UnitSlot& slot = Slot(cell.index);
    const std::string file = cell.TempFile(".TM80");
    const std::int8_t held = slot.adjustments[2];
    const int band = slot.bandSelection[0];
    slot.adjustments[2] = -3;
    slot.bandSelection[0] = 1 - band;
    const bool saved = slot.SaveSetup(file) == 1;
    slot.adjustments[2] = held;
    slot.bandSelection[0] = band;
    if (!saved) {
        return {false, false, "the setup file could not be saved"};
    }
    CurrentSetupFile() = "before.TM80";
    cell.dialogs.AnswerFile(file);
    SetupMenuCommands::RecallSetup(nullptr, cell.index + 1);

    const auto& shown = cell.dialogs.History();
    const bool sent = shown.size() == 1 && CurrentSetupFile() == file;
    const std::string message = "The setup in " + file + " could not be sent to Device " +
                                std::to_string(cell.index + 1) + ".";
    const bool slotShowsUnit = std::ranges::equal(slot.adjustments, cell.unit.Adjustments()) &&
                               std::ranges::equal(slot.bandSelection, cell.unit.BandSelection()) &&
                               slot.split == cell.unit.Split();
    return {sent,
            cell.unit.Adjustments()[2] == -3 && cell.unit.BandSelection()[0] == 1 - band &&
                slot.adjustments[2] == -3 && slot.bandSelection[0] == 1 - band,
            sent ? ""
            : shown.size() != 2 || shown[1].message.text != message
                ? "no message that the setup was not sent"
            : CurrentSetupFile() != "before.TM80" ? "the header names the file not sent"
            : !slotShowsUnit                      ? "the slot shows what the unit does not hold"
                                                  : ""};
}

constexpr int kDiscoveryWindowMs = 400;

// One discovery: the unit behind the module is listed with what it told, or nothing is.
Outcome Discovery(const Cell& cell) {
    win::WSADATA data;
    win::WSAStartup(win::MAKEWORD(2, 2), &data);
    win::SetDebugOutputSink([](std::string_view) {}); // the discovery's trace
    DiscoverWizNET_Devices(
        DiscoveryTarget{"127.255.255.255", cell.unit.Config().discoveryPort, kDiscoveryWindowMs});
    win::SetDebugOutputSink({});
    win::WSACleanup();
    const auto& units = DiscoveryList::Instance().Units();
    return {!units.empty(),
            units.size() == 1 && units[0].addressText == cell.address &&
                units[0].NoteText() == cell.unit.Note() &&
                units[0].ModelText() == cell.unit.Config().model,
            ""};
}

// Parallel: the cells run side by side (the row keeps no process-wide state).
// Opened: in turn, on a unit opened before the fault. InNamespace: in turn,
// broadcasting, so inside a private network namespace.
enum class Run { Parallel, Opened, InNamespace };

struct Row {
    const char* name;
    Outcome (*place)(const Cell&);
    Run run;
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
    {"OpenSequence", OpenSequence, Run::Parallel, 2 * 3000 + 1000, "SFFSFFFFFFSSSSSSS"},
    {"AdjustmentWrite", [](const Cell& c) { return ModelExchange(c, true); }, Run::Parallel, 1000,
     "SFSSFFFFFFSSSSSSS"},
    {"StatusRead", [](const Cell& c) { return ModelExchange(c, false); }, Run::Parallel, 1000,
     "SFFSFFFFFFSSSSSSS"},
    {"Tm80CtlNote", CtlNote, Run::Parallel, 2000, "SFFSFFFFFFSSSSSSS"},
    {"NoteCheck", NoteCheck, Run::Opened, 1000, "SFFSFFFFSFSSSSSSS"},
    {"StatusRefresh", StatusRefresh, Run::Opened, 1000, "SFFSFFFFSFSSSSSSS"},
    {"LostShown", LostShown, Run::Opened, 2 * 1000, "SFFSFFFFSFSSSSSSS"},
    {"SetupRecall", SetupRecall, Run::Parallel, 3000, "SFFSFFFFFFSSSSSSS"},
    {"RecallReported", RecallReported, Run::Opened, 3000, "SFFSFFFFSFSSSSSSS"},
    {"Discovery", Discovery, Run::InNamespace, 100 + kDiscoveryWindowMs + 1000,
     "SFFSFFFFFFFFFSFSS"},
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

class FaultMatrix : public On<61>, public ::testing::WithParamInterface<Row> {};

TEST_P(FaultMatrix, EveryFault) {
    const Row& row = GetParam();
    ASSERT_EQ(std::string(row.expected).size(), kColumns);
    if (row.run == Run::InNamespace && nstest::RanInPrivateNamespace()) {
        return;
    }
    const TempFolder files;
    // Each cell has a unit of its own, there only while the cell runs: in a
    // discovery every module present would answer. Only the discovery's unit
    // has its WIZnet module.
    std::vector<Outcome> outcomes(kColumns);
    std::vector<std::chrono::steady_clock::duration> took(kColumns);
    auto runCell = [&](std::size_t c) {
        auto unit = simtest::StartUnit(61, std::string(row.name) + "." + kFaults[c].name,
                                       {.module = row.run == Run::InNamespace});
        if (unit == nullptr) {
            outcomes[c].wrongFailure = "no simulated unit could be started";
            return;
        }
        Cell cell{*unit, unit->Config().address, *dialogs, files};
        if (row.run == Run::Opened) {
            // As the main window opens it, with no flags set; a read the
            // window's timers sent meanwhile must not meet the fault.
            cell.index = OpenInTable(cell.address, host);
            WaitIdle(Slot(cell.index));
            dialogs->ClearHistory();
            ResetUnitFlags();
        }
        unit->SetStatus(45, 120, 15);
        unit->SetFault(kFaults[c].unit, kFaults[c].param);
        unit->SetModuleFault(kFaults[c].module, kFaults[c].param);
        const auto start = std::chrono::steady_clock::now();
        outcomes[c] = cell.index < 0 || Slot(cell.index).DeviceWindow() != nullptr
                          ? row.place(cell)
                          : Outcome{false, false, "the unit could not be opened before the fault"};
        if (cell.index >= 0) {
            TheSlotTable().Release(cell.index); // its release is timed too
        }
        took[c] = std::chrono::steady_clock::now() - start;
    };
    {
        std::vector<std::jthread> threads; // joined as the block ends
        for (std::size_t c = 0; c < kColumns; ++c) {
            if (row.run == Run::Parallel) {
                threads.emplace_back(runCell, c);
            } else {
                runCell(c);
            }
        }
    }

    // The margin: room for a loaded machine and the sanitizers.
    const std::chrono::milliseconds limit(row.budgetMs + row.budgetMs / 2 + 1500);
    for (std::size_t c = 0; c < kColumns; ++c) {
        SCOPED_TRACE(std::string(row.name) + " x " + kFaults[c].name);
        const Outcome& out = outcomes[c];
        EXPECT_LE(took[c], limit);
        if (row.expected[c] == 'S') {
            EXPECT_TRUE(out.succeeded) << out.wrongFailure;
            EXPECT_TRUE(out.matchesUnit) << "reported success that disagrees with the unit";
        } else if (row.expected[c] == 'F') {
            EXPECT_FALSE(out.succeeded) << "reported success";
            EXPECT_EQ(out.wrongFailure, "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultMatrix, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
