// The real tm80 binary against a simulated unit. The application broadcasts
// its discovery to 255.255.255.255, so everything runs in a private network
// namespace:
//   unshare -rn sh -c 'ip link set lo up && ip route add default dev lo src 127.0.0.1 && ...'
// (without the "src" the search would leave from 0.0.0.0, which the simulated
// modules, answering loopback only, ignore). The working folder holds a system
// configuration that launches directly to the unit; tm80 runs a few seconds,
// is stopped by SIGTERM, and the unit's frame log and the files tell the rest.
// The demo program runs the same way and ends by itself.

#include "tests/app/WorkFolder.h"
#include "tests/infra/TempFolder.h"

#include "Version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr const char* kUnitAddress = "127.63.0.1";

struct Frame {
    long ms = 0;
    unsigned command = 0;
    std::vector<unsigned> bytes;
};

std::vector<Frame> ReadFrames(const std::string& path) {
    std::vector<Frame> frames;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Frame f;
        std::string command;
        std::string hex;
        fields >> f.ms >> command >> hex;
        f.command = static_cast<unsigned>(std::stoul(command, nullptr, 16));
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
            f.bytes.push_back(static_cast<unsigned>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        }
        frames.push_back(f);
    }
    return frames;
}

unsigned PayloadByte(const Frame& f, std::size_t i) {
    return f.bytes.size() > 6 + i ? f.bytes[6 + i] : 0x100;
}

std::string Describe(const Frame& f) {
    char text[32];
    std::snprintf(text, sizeof text, "%4.4X/%X", f.command, PayloadByte(f, 0));
    return text;
}

// Runs `script` in a private network namespace, in the working folder, once
// the test unit listens on `address` (frames to DIR/frames.log, its output to
// DIR/unit.out); the script sees DIR, TM80, TM80_DEMO, ADDRESS and the unit's
// pid as $unit. Returns the exit status.
int RunWithUnit(const TempFolder& dir, const std::string& address, const std::string& script) {
    // Without private namespaces the application could not run without
    // broadcasting on a real network: fail rather than skip.
    if (std::system("unshare -rn true >/dev/null 2>&1") != 0) {
        ADD_FAILURE() << "no private network namespaces here (unshare -rn failed)";
        return -1;
    }
    WriteFile(dir / "run.sh", R"(set -e
ip link set lo up
ip route add default dev lo src 127.0.0.1
"$UNIT" "$ADDRESS" "$DIR/frames.log" >"$DIR/unit.out" 2>&1 &
unit=$!
i=0
until grep -q ready "$DIR/unit.out" 2>/dev/null; do
    i=$((i + 1)); [ $i -le 200 ] || exit 3
    sleep 0.05
done
cd "$DIR/work"
)" + script);
    const std::string command = "DIR='" + dir.Path() + "' UNIT='" + TM80_TEST_UNIT + "' TM80='" +
                                TM80_BINARY + "' TM80_DEMO='" + TM80_DEMO_BINARY +
                                "' ADDRESS=" + address + " unshare -rn sh '" + (dir / "run.sh") +
                                "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EndToEnd, Tm80OpensTheDirectUnitAndChecksItsNoteInAPrivateNamespace) {
    TempFolder dir;
    const std::string work = dir / "work";
    const std::string config = MakeWorkFolder(dir, {kUnitAddress});
    const std::string configPath = work + "/SystemTools/Options/Tm80M1System.CFG";
    ASSERT_EQ(
        RunWithUnit(dir, kUnitAddress, R"(QT_QPA_PLATFORM=offscreen "$TM80" >"$DIR/tm80.out" 2>&1 &
app=$!
sleep 8
kill -TERM $app
# A tm80 that does not end on SIGTERM within 20 s is killed; the test fails on its status.
i=0
while kill -0 $app 2>/dev/null; do
    i=$((i + 1)); [ $i -le 200 ] || kill -KILL $app
    sleep 0.1
done
set +e
wait $app
echo $? >"$DIR/tm80.rc"
kill -TERM $unit
wait $unit
echo $? >"$DIR/unit.rc"
)"),
        0)
        << ReadFile(dir / "unit.out");
    // tm80 ended cleanly on SIGTERM, without saving the configuration.
    EXPECT_EQ(ReadFile(dir / "tm80.rc"), "0\n") << ReadFile(dir / "tm80.out");
    EXPECT_EQ(ReadFile(dir / "unit.rc"), "0\n");
    EXPECT_EQ(ReadFile(configPath), config);
    // The unit's module heard the start-up search (the other test relies on it hearing).
    EXPECT_EQ(ReadFile(dir / "unit.out").find("searches 0"), std::string::npos);
    EXPECT_NE(ReadFile(dir / "unit.out").find("searches "), std::string::npos);

    // The open sequence starts with the flash and the open control; its order
    // is the unit slot's (pinned by its own tests).
    const std::vector<Frame> frames = ReadFrames(dir / "frames.log");
    const std::size_t openLength = 19;
    ASSERT_GE(frames.size(), openLength);
    EXPECT_EQ(Describe(frames[0]), "1001/6");
    EXPECT_EQ(Describe(frames[1]), "1001/4");
    EXPECT_EQ(PayloadByte(frames[1], 1), 0x80u);
    EXPECT_EQ(Describe(frames[openLength - 1]), "2009/F");

    // Then the device window reads the note about once a second. The
    // discovery's own note read follows its identity request (0x2001).
    std::vector<long> noteReads;
    for (std::size_t i = openLength; i < frames.size(); ++i) {
        const bool discoveryRead = i > 0 && frames[i - 1].command == 0x2001;
        if (frames[i].command == 0x1003 && PayloadByte(frames[i], 0) == 0 && !discoveryRead) {
            noteReads.push_back(frames[i].ms);
        }
    }
    ASSERT_GE(noteReads.size(), 2u);
    for (std::size_t i = 1; i < noteReads.size(); ++i) {
        const long gap = noteReads[i] - noteReads[i - 1];
        EXPECT_GE(gap, 800) << "note reads " << i - 1 << " and " << i;
        EXPECT_LE(gap, 1600) << "note reads " << i - 1 << " and " << i;
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
    // and the trace stays out of stderr (which holds only Qt's own notices
    // here).
    EXPECT_LT(trace.size(), 8000u) << trace.substr(0, 4000);
    const std::string out = ReadFile(dir / "tm80.out");
    for (const char* line : {"WizNET", "recvfrom", "TCPCom", "signal"}) {
        EXPECT_EQ(out.find(line), std::string::npos) << out;
    }
}

TEST(EndToEnd, DemoWalksTheWindowsSavesItsScreenshotsAndEnds) {
    TempFolder dir;
    const std::string config = MakeWorkFolder(dir, {"127.63.0.3"});
    std::filesystem::create_directories(dir / "shots");
    ASSERT_EQ(RunWithUnit(dir, "127.63.0.3", R"(set +e
QT_QPA_PLATFORM=offscreen timeout 60 "$TM80_DEMO" "$DIR/shots" >"$DIR/demo.out" 2>&1
echo $? >"$DIR/demo.rc"
kill -TERM $unit
wait $unit
)"),
              0)
        << ReadFile(dir / "unit.out");
    EXPECT_EQ(ReadFile(dir / "demo.rc"), "0\n") << ReadFile(dir / "demo.out");
    // No unit noted SPARE to add here: the other three screenshots only.
    for (const char* shot : {"main-window.png", "device-window.png", "system-page.png"}) {
        EXPECT_GT(std::filesystem::file_size(dir / "shots/" + shot), 1000u) << shot;
    }
    // The walk moved a slider, which wrote an adjustment to the unit; it
    // ended without saving the configuration.
    const std::vector<Frame> frames = ReadFrames(dir / "frames.log");
    EXPECT_TRUE(std::any_of(frames.begin(), frames.end(),
                            [](const Frame& f) { return f.command == 0x1000; }));
    EXPECT_EQ(ReadFile(dir / "work/SystemTools/Options/Tm80M1System.CFG"), config);
}

TEST(EndToEnd, Tm80CommandLineStartsNothing) {
    TempFolder dir;
    std::filesystem::create_directories(dir / "work");
    // Each run's exit status, output and errors (a run that starts the
    // application is stopped after 20 s); the unit's module counts searches.
    ASSERT_EQ(RunWithUnit(dir, "127.63.0.2", R"(set +e
run() {
    name=$1; shift
    timeout 20 "$@" >"$DIR/$name.out" 2>"$DIR/$name.err"
    echo $? >"$DIR/$name.rc"
}
run help "$TM80" --help
run version "$TM80" --version
run bad "$TM80" --help-me
run metrics-bad "$TM80" --metrics-listen=localhost:9380
run metrics-taken env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$DIR" "$TM80" --metrics-listen=127.63.0.2:5000
run display env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$TM80"
kill -TERM $unit
wait $unit
)"),
              0)
        << ReadFile(dir / "unit.out");

    struct Case {
        const char* name;
        const char* rc;
        std::string outStart;
        const char* errStart;
    };
    const Case cases[] = {
        {"help", "0\n", "usage: tm80 [--metrics-listen=HOST:PORT]\n", ""},
        {"version", "0\n", std::string("tm80 ") + kVersion + "\n", ""},
        {"bad", "2\n", "", "tm80: unknown argument \"--help-me\""},
        {"metrics-bad", "2\n", "", "tm80: --metrics-listen takes HOST:PORT"},
        {"metrics-taken", "1\n", "", "tm80: cannot listen on 127.63.0.2:5000: cannot bind"},
        {"display", "1\n", "", "tm80: no display"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string err = ReadFile(dir / (std::string(c.name) + ".err"));
        EXPECT_EQ(ReadFile(dir / (std::string(c.name) + ".rc")), c.rc) << err;
        EXPECT_EQ(ReadFile(dir / (std::string(c.name) + ".out")).rfind(c.outStart, 0), 0u);
        EXPECT_EQ(err.rfind(c.errStart, 0), 0u) << err;
        EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    // No search went out, and nothing was made in the working folder.
    EXPECT_NE(ReadFile(dir / "unit.out").find("searches 0\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "work"));
}

} // namespace
