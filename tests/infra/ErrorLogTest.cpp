// The error log (stamps, line format, paths, recovery from a held lock), its
// timer, and the trace file with its collapsed repeats.
#include "infra/ErrorLog.h"
#include "TempFolder.h"
#include "infra/RepeatedLines.h"
#include "infra/TimerClass.h"
#include "infra/TraceFile.h"
#include "infra/WallClock.h"
#include "infra/WinAppplus.h"
#include "platform/DebugOutput.h"
#include "platform/NamedMutex.h"
#include "platform/Time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <limits>
#include <regex>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

TEST(TimerClassTime, DayOfYearSecondsOfYearTheLogsStampAndTheTimer) {
    const std::pair<win::SYSTEMTIME, int> cases[] = {
        // year, month, (day of the week), day: the day of the year
        {{2023, 1, 0, 1}, 1},     {{2023, 5, 0, 3}, 123},
        {{2024, 5, 0, 3}, 124},   {{2023, 3, 0, 1}, 60},
        {{2024, 3, 0, 1}, 61},    {{2023, 12, 0, 31}, 365},
        {{2024, 12, 0, 31}, 366}, {{2024, 2, 0, 29}, 60},
        {{2023, 13, 0, 5}, 5}, // a month above 12 is January
        {{2023, 1, 0, 32}, 1}, // a day beyond its month is day 1
        {{2023, 2, 0, 29}, 32}};
    for (const auto& [time, day] : cases) {
        EXPECT_EQ(TimerClass::DayOfYear(time), day)
            << time.wYear << "-" << time.wMonth << "-" << time.wDay;
    }
    EXPECT_DOUBLE_EQ(TimerClass::SecondsOfYear({2023, 5, 0, 3, 14, 5, 7, 123}),
                     123 * 86400.0 + 14 * 3600 + 5 * 60 + 7.123);
    // The last moment of a leap year stays below the upper bound.
    const double t = TimerClass::SecondsOfYear({2024, 12, 0, 31, 23, 59, 59, 999});
    EXPECT_GT(t, 366 * 86400.0);
    EXPECT_LT(t, TimerClass::kUpperBound);
    // The log's stamp of such a time: split into its parts, carried, zero outside the year.
    const std::pair<double, const char*> stamps[] = {
        {0.0, "000:00:00:00.000000"},
        {123 * 86400.0 + 14 * 3600 + 5 * 60 + 7.1234, "123:14:05:07.123400"},
        {86400.0 + 59.9999996, "001:00:01:00.000000"},        // seconds carry
        {2 * 86400.0 + 3599.9999999, "002:01:00:00.000000"},  // and the minutes
        {5 * 86400.0 + 86399.9999999, "005:00:00:00.000000"}, // an hour of 24 wraps only
        {366 * 86400.0 + 86399.999, "366:23:59:59.999000"},
        {-1.0, "000:00:00:00.000000"},
        {TimerClass::kUpperBound + 1.0, "000:00:00:00.000000"},
        {std::numeric_limits<double>::quiet_NaN(), "000:00:00:00.000000"},
        {std::numeric_limits<double>::infinity(), "000:00:00:00.000000"},
    };
    for (const auto& [seconds, stamp] : stamps) {
        EXPECT_EQ(ErrorLog::FormatStamp(seconds), stamp) << seconds;
    }

    // A timer advances and gives back its resolution requests.
    const int before = win::OutstandingTimerPeriods();
    {
        TimerClass timer;
        EXPECT_EQ(win::OutstandingTimerPeriods(), before + 2);
        const double start = timer.GetTime();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_GT(timer.GetTime(), start + 0.01);
    }
    EXPECT_EQ(win::OutstandingTimerPeriods(), before);
    ::setenv("TZ", "UTC-2", 1); // two hours east of Greenwich
    ::tzset();
    EXPECT_EQ(UtcOffsetMs(WallClockMs()), 2 * 3600 * 1000);
    ::unsetenv("TZ");
    ::tzset();
}

class ErrorLogTest : public ::testing::Test {
protected:
    TempFolder root;
    WorkingFolder here{root.Path()};
    void SetUp() override { ResetProcessValues(); }
    void TearDown() override { ResetProcessValues(); }
};

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The number, the stamp's day and the text of a log line; all empty when it has not the format.
std::vector<std::string> Fields(const std::string& line) {
    static const std::regex format(R"(^(\d{6})  (\d{3}):\d{2}:\d{2}:\d{2}\.\d{6}  (.*)\r$)");
    std::smatch m;
    return std::regex_match(line, m, format) ? std::vector<std::string>{m[1], m[2], m[3]}
                                             : std::vector<std::string>(3);
}

// Started with its standard input closed, the program gives the log descriptor
// 0: the log writes to it and closes it like any other.
TEST_F(ErrorLogTest, LineFormatOnDescriptorZero) {
    EXPECT_EQ(ErrorLog::Create(root / "absent/x.Log"), nullptr);
    LogText("nowhere", 1); // no log: nothing happens
    const int savedInput = dup(0);
    close(0);
    auto log = ErrorLog::Create(root / "line.Log");
    EXPECT_TRUE(log);
    if (log) { // standard input is given back below whatever happens here
        EXPECT_EQ(ReadFile(root / "line.Log"), "");
        log->Log("hello there", 7);
        EXPECT_NE(fcntl(0, F_GETFD), -1);
        log->Log("second", -3);
        log->Log(std::string(20000, 'x'), 1); // a long line is cut to the buffer
        log.reset();
        EXPECT_EQ(fcntl(0, F_GETFD), -1);
    }
    dup2(savedInput, 0);
    close(savedInput);
    const auto lines = Lines(root / "line.Log");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Fields(lines[0])[0], "000007") << lines[0];
    EXPECT_EQ(Fields(lines[0])[2], "hello there") << lines[0];
    EXPECT_EQ(lines[1].substr(0, 6), "-00003");
    EXPECT_EQ(lines[2].size() + 1, ErrorLog::kLineBufferSize - 1); // + the LF
    EXPECT_EQ(lines[2].back(), '\r');
}

// Runs `body` while another thread holds the named lock `name`.
void WhileHeld(const std::string& name, const std::function<void()>& body) {
    std::promise<void> held;
    std::promise<void> done;
    std::thread holder([&] {
        win::NamedMutex lock(name);
        lock.Wait(win::INFINITE);
        held.set_value();
        done.get_future().wait();
        lock.Release();
    });
    held.get_future().wait();
    body();
    done.set_value();
    holder.join();
}

// A held timer lock makes the line rebuild the timer; a held log lock drops it.
TEST_F(ErrorLogTest, LocksHeldTooLong) {
    auto log = ErrorLog::Create(root / "timer.Log");
    ASSERT_TRUE(log);
    const std::string oldLock = log->Timer().LockName();
    WhileHeld(oldLock, [&] { log->Log("while held", 3); });
    EXPECT_NE(log->Timer().LockName(), oldLock);
    WhileHeld(log->LockName(), [&] { log->Log("dropped", 1); });
    log->Log("kept", 2);
    const auto lines = Lines(root / "timer.Log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Fields(lines[0])[2], "while held  >>>> HAD TO USE THE CPU TIME") << lines[0];
    EXPECT_NE(Fields(lines[0])[1], "000"); // the new timer has a real time
    EXPECT_EQ(Fields(lines[1])[2], "kept");
}

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// A full file becomes the previous one; each run appends after a start line;
// debugger-channel and standard-output texts land in it as lines, and an empty
// discovery window's polls take a few lines. Stderr stays quiet unless TM80_TRACE=1.
TEST(TraceFileTest, RunsAppendLinesAfterTheirStartLine) {
    TempFolder folder;
    const std::string path = folder / "tm80-trace.log";
    WriteFile(path, std::string(TraceFile::kRotateBytes, 'x'));
    for (int run = 0; run < 2; ++run) {
        ::setenv(TraceFile::kStderrVariable, run == 0 ? "0" : "1", 1);
        ::testing::internal::CaptureStderr();
        {
            TraceFile trace(folder.Path());
            EXPECT_TRUE(trace.IsOpen());
            EXPECT_EQ(trace.Path(), path);
            win::OutputDebugStringA("Now looking for WizNET Devices.\r");
            win::StandardOutput("Bytes received: %d\n", 12 + run);
            for (int poll = 0; poll < 3000; ++poll) {
                win::OutputDebugStringA("recvfrom() returned -1.\r\n");
                win::OutputDebugStringA("***** Data received from Broadcast response is =>\r\n");
                win::OutputDebugStringA("\r\n");
                win::OutputDebugStringA(
                    "Data did not match expected values in Broadcast response.\r\n");
            }
        }
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.empty(), run == 0) << err;
        EXPECT_EQ(Count(err, "recvfrom() returned -1.\n"), run);
        EXPECT_EQ(Count(err, "last 4 lines repeated 2999 more times"), run);
    }
    ::unsetenv(TraceFile::kStderrVariable);
    const std::string text = ReadFile(path);
    EXPECT_EQ(Count(text, "tm80 started"), 2);
    EXPECT_EQ(Count(text, "  Now looking for WizNET Devices.\n"), 2);
    EXPECT_EQ(Count(text, "Bytes received: 12\n"), 1);
    EXPECT_EQ(Count(text, "Bytes received: 13\n"), 1);
    EXPECT_EQ(Count(text, "\r"), 0);
    EXPECT_EQ(Count(text, "recvfrom() returned -1.\n"), 2);
    EXPECT_EQ(Count(text, "  ---- last 4 lines repeated 2999 more times ----\n"), 2);
    EXPECT_LT(text.size(), 2000U);
    // The full file went whole: nothing of it before or among the runs' lines.
    EXPECT_TRUE(text.starts_with("==== ")) << text.substr(0, 40);
    EXPECT_EQ(Count(text, "xx"), 0);
    EXPECT_EQ(ReadFile(path + ".1").size(), static_cast<std::size_t>(TraceFile::kRotateBytes));
}

TEST(RepeatedLinesTest, RepeatsOfALineOrAGroupAreCounted) {
    using Lines = std::vector<std::string>;
    const Lines nine = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "1", "2"};
    const std::pair<Lines, Lines> cases[] = {
        {{"a", "a", "a", "b"}, {"a", RepeatedLines::Summary(1, 2), "b"}},
        // A group that does not come round again is passed on as it came.
        {{"a", "b", "a", "c"}, {"a", "b", "a", "c"}},
        {{"a", "b", "a", "b", "a", "c"}, {"a", "b", RepeatedLines::Summary(2, 1), "a", "c"}},
        // The end of the stream ends the run.
        {{"x", "y", "y"}, {"x", "y", RepeatedLines::Summary(1, 1)}},
        // Groups longer than the longest looked for stay as they are.
        {nine, nine},
    };
    for (const auto& [in, expected] : cases) {
        Lines out;
        {
            RepeatedLines repeats([&](const std::string& line) { out.push_back(line); });
            std::ranges::for_each(in, [&](const std::string& line) { repeats.Add(line); });
        }
        EXPECT_EQ(out, expected) << in.size() << " lines starting " << in.front();
    }
}

} // namespace
