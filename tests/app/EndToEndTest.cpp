// The real tm80 binary and the demo program against a simulated unit of the
// test's own. tm80 broadcasts its discovery to 255.255.255.255, so each test
// runs itself again in a private network namespace, with a default route on
// loopback from 127.0.0.1 (from 0.0.0.0 the simulated modules, answering
// loopback only, would ignore the search). The working folder holds a system
// configuration that launches directly to the unit; the unit's frames and the
// files tell the rest.

#include "sim/SimUnit.h"
#include "tests/app/WorkFolder.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/metrics/MonitoringTestSupport.h"
#include "tests/sim/SimTestUnit.h"

#include "Version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <vector>

namespace {

int ExitStatus(int waitStatus) {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

// The exit status of the shell command `command` run in `folder` (made if missing).
int Shell(const std::string& folder, const std::string& command) {
    std::filesystem::create_directories(folder);
    return ExitStatus(std::system(("cd '" + folder + "' && " + command).c_str()));
}

unsigned PayloadByte(const sim::ReceivedFrame& f, std::size_t i) {
    return f.bytes.size() > 6 + i ? f.bytes[6 + i] : 0x100;
}

std::string Describe(const sim::ReceivedFrame& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%4.4X/%X", f.command, PayloadByte(f, 0));
    return text;
}

TEST(EndToEnd, Tm80AndTheDemoAgainstTheirUnitInAPrivateNamespace) {
    if (nstest::RanInPrivateNamespace(nstest::kSearchOnLoopback)) {
        return;
    }
    sim::SimUnit unit({.address = "127.63.0.1", .note = "END TO END", .module = true});
    ASSERT_TRUE(unit.Start()) << unit.Error();
    TempFolder dir;
    // tm80's command line starts nothing: no search goes out (the unit's module
    // counts them) and nothing is made in the working folder.
    const std::string empty = dir / "empty";
    const std::string takes = "tm80: --metrics-listen takes HOST:PORT";
    const struct {
        std::string env, args;
        int status;
        std::string outStart, errStart;
    } cases[] = {
        {"", "--help", 0, "usage: tm80 [--metrics-listen=HOST:PORT]\n", ""},
        {"", "--version", 0, std::string("tm80 ") + kVersion + "\n", ""},
        {"", "--help-me", 2, "", "tm80: unknown argument \"--help-me\""},
        {"", "--metrics-listen=localhost:9380", 2, "", takes},
        {"", "--metrics-listen", 2, "", takes},
        {"QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='" + dir.Path() + "'",
         "--metrics-listen=127.63.0.1:5000", 1, "",
         "tm80: cannot listen on 127.63.0.1:5000: cannot bind"},
        {"-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", "", 1, "", "tm80: no display"},
    };
    const std::string out = dir / "run.out", err = dir / "run.err";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.env + " " + c.args);
        // A run that starts the application is stopped after 20 s.
        const int status = Shell(empty, "timeout 20 env " + c.env + " '" TM80_BINARY "' " + c.args +
                                            " >'" + out + "' 2>'" + err + "'");
        const std::string errors = ReadFile(err);
        EXPECT_EQ(status, c.status) << errors;
        EXPECT_EQ(ReadFile(out).rfind(c.outStart, 0), 0u);
        EXPECT_EQ(errors.rfind(c.errStart, 0), 0u) << errors;
        EXPECT_LE(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    }
    EXPECT_EQ(unit.ModuleSearches(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(empty));
    const std::string config = MakeWorkFolder(dir, {"127.63.0.1"});
    const std::string work = dir / "work";
    // tm80 gets SIGTERM when its shell reads the end of its input (pclose), once
    // the device window has read the note a few times (waiting on the unit, not
    // on a clock); one that does not end on it within 20 s is killed (timeout's
    // -k; its own limit, 0, is off) and fails on its status. It ends cleanly,
    // without saving the configuration.
    FILE* shell = ::popen(("cd '" + work +
                           "' || exit 9; QT_QPA_PLATFORM=offscreen timeout -k 20 0 '" TM80_BINARY
                           "' >../tm80.out 2>&1 & read stop; kill -TERM $!; wait $!")
                              .c_str(),
                          "w");
    ASSERT_NE(shell, nullptr);
    const std::size_t openLength = 19;
    // The device window reads the note about once a second; the discovery's own
    // note read follows its identity request (0x2001).
    const auto noteReads = [&unit, openLength] {
        const auto frames = unit.Frames();
        std::vector<std::chrono::steady_clock::time_point> reads;
        for (std::size_t i = openLength; i < frames.size(); ++i) {
            if (simtest::IsNoteRead(frames[i]) && frames[i - 1].command != 0x2001) {
                reads.push_back(frames[i].at);
            }
        }
        return reads;
    };
    montest::WaitFor([&] { return noteReads().size() >= 4; }, std::chrono::seconds(60));
    EXPECT_EQ(ExitStatus(::pclose(shell)), 0) << ReadFile(dir / "tm80.out");
    EXPECT_EQ(ReadFile(work + "/SystemTools/Options/Tm80M1System.CFG"), config);
    EXPECT_GT(unit.ModuleSearches(), 0); // it heard the start-up search
    // The open sequence starts with the flash and the open control; its order
    // is the unit slot's (pinned by its own tests).
    const auto frames = unit.Frames();
    ASSERT_GE(frames.size(), openLength);
    EXPECT_EQ(Describe(frames[0]), "1001/6");
    EXPECT_EQ(Describe(frames[1]), "1001/4");
    EXPECT_EQ(PayloadByte(frames[1], 1), 0x80u);
    EXPECT_EQ(Describe(frames[openLength - 1]), "2009/F");
    const auto reads = noteReads();
    ASSERT_GE(reads.size(), 2u);
    for (std::size_t i = 1; i < reads.size(); ++i) {
        const auto gap = reads[i] - reads[i - 1];
        EXPECT_GE(gap, std::chrono::milliseconds(800)) << "note reads " << i - 1 << " and " << i;
        EXPECT_LE(gap, std::chrono::milliseconds(1600)) << "note reads " << i - 1 << " and " << i;
    }
    // The error log with its banner, the trace of this run.
    EXPECT_NE(ReadFile(work + "/SYSTEM/ERLOGS/KD50.Log").find("PROGRAM START"), std::string::npos);
    const std::string trace = ReadFile(work + "/SystemTools/AppLogs/tm80-trace.log");
    for (const char* line :
         {"tm80 started", "TCPCom() ctor", "Now looking for WizNET Devices.",
          "Found a 0x16 device.", "lines repeated", "tm80: ending on signal 15"}) {
        EXPECT_NE(trace.find(line), std::string::npos) << line;
    }
    // The empty polls of the discovery window are counted, not written out,
    // and the trace stays out of stderr (which holds only Qt's own notices).
    EXPECT_LT(trace.size(), 8000u) << trace.substr(0, 4000);
    const std::string console = ReadFile(dir / "tm80.out");
    for (const char* line : {"WizNET", "recvfrom", "TCPCom", "signal"}) {
        EXPECT_EQ(console.find(line), std::string::npos) << console;
    }
    // The demo walks the windows, saves its screenshots and ends by itself.
    unit.ClearFrames();
    std::filesystem::create_directories(dir / "shots");
    EXPECT_EQ(Shell(work, "QT_QPA_PLATFORM=offscreen timeout 60 '" TM80_DEMO_BINARY
                          "' ../shots >../demo.out 2>&1"),
              0)
        << ReadFile(dir / "demo.out");
    // No unit noted SPARE to add here: the other three screenshots only.
    for (const char* shot : {"main-window.png", "device-window.png", "system-page.png"}) {
        EXPECT_GT(std::filesystem::file_size(dir / "shots/" + shot), 1000u) << shot;
    }
    // The walk moved a slider, which wrote an adjustment to the unit; it
    // ended without saving the configuration.
    const auto walked = unit.Frames();
    EXPECT_TRUE(std::any_of(walked.begin(), walked.end(),
                            [](const sim::ReceivedFrame& f) { return f.command == 0x1000; }));
    EXPECT_EQ(ReadFile(work + "/SystemTools/Options/Tm80M1System.CFG"), config);
}

} // namespace
