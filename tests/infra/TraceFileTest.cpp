// The trace file: each run appends after a start line; debugger-channel and
// standard-output texts land in it as lines, repeats collapsed, stderr quiet
// unless TM80_TRACE=1.

#include "infra/TraceFile.h"
#include "infra/RepeatedLines.h"
#include "platform/DebugOutput.h"
#include "tests/infra/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST(TraceFileTest, RunsAppendLinesAfterTheirStartLine) {
    TempFolder folder;
    std::string path;
    for (int run = 0; run < 2; ++run) {
        TraceFile trace(folder.Path());
        ASSERT_TRUE(trace.IsOpen());
        path = trace.Path();
        win::OutputDebugStringA("Now looking for WizNET Devices.\r");
        win::StandardOutput("Bytes received: %d\n", 12 + run);
    }
    const std::string text = ReadFile(path);
    EXPECT_EQ(path, folder.Path() + "/tm80-trace.log");
    EXPECT_EQ(Count(text, "tm80 started"), 2);
    EXPECT_EQ(Count(text, "  Now looking for WizNET Devices.\n"), 2);
    EXPECT_EQ(Count(text, "Bytes received: 12\n"), 1);
    EXPECT_EQ(Count(text, "Bytes received: 13\n"), 1);
    EXPECT_EQ(Count(text, "\r"), 0);
}

TEST(TraceFileTest, AFullFileBecomesThePreviousOne) {
    TempFolder folder;
    const std::string path = folder.Path() + "/tm80-trace.log";
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        const std::string block(1024, 'x');
        for (long n = 0; n < TraceFile::kRotateBytes; n += 1024) {
            std::fwrite(block.data(), 1, block.size(), f);
        }
        std::fclose(f);
    }
    { TraceFile trace(folder.Path()); }
    EXPECT_EQ(ReadFile(path + ".1").size(), static_cast<std::size_t>(TraceFile::kRotateBytes));
    EXPECT_EQ(Count(ReadFile(path), "tm80 started"), 1);
    EXPECT_LT(ReadFile(path).size(), 200U);
}

TEST(RepeatedLinesTest, RepeatsOfALineOrAGroupAreCounted) {
    using Lines = std::vector<std::string>;
    const std::string poll = "recvfrom() returned -1.";
    const std::string data = "***** Data received from Broadcast response is =>";
    const std::string miss = "Data did not match expected values in Broadcast response.";
    struct Case {
        Lines in;
        Lines out;
    };
    const Case cases[] = {
        {{"a", "a", "a", "b"}, {"a", RepeatedLines::Summary(1, 2), "b"}},
        {{poll, data, "", miss, poll, data, "", miss, poll, data, "", miss, "Time out completed."},
         {poll, data, "", miss, RepeatedLines::Summary(4, 2), "Time out completed."}},
        // A group that does not come round again is passed on as it came.
        {{"a", "b", "a", "c"}, {"a", "b", "a", "c"}},
        {{"a", "b", "a", "b", "a", "c"}, {"a", "b", RepeatedLines::Summary(2, 1), "a", "c"}},
        // The end of the stream ends the run.
        {{"x", "y", "y"}, {"x", "y", RepeatedLines::Summary(1, 1)}},
        // Groups longer than the longest looked for stay as they are.
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "1", "2"},
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "1", "2"}},
    };
    for (const Case& c : cases) {
        Lines out;
        {
            RepeatedLines repeats([&](const std::string& line) { out.push_back(line); });
            for (const std::string& line : c.in) {
                repeats.Add(line);
            }
        }
        EXPECT_EQ(out, c.out) << c.in.size() << " lines starting " << c.in.front();
    }
    EXPECT_EQ(RepeatedLines::Summary(4, 2990), "---- last 4 lines repeated 2990 more times ----");
}

TEST(TraceFileTest, AnEmptyDiscoveryWindowTakesAFewLinesAndStderrStaysQuiet) {
    TempFolder folder;
    std::string path;
    for (const char* mirror : {"0", "1"}) {
        ::setenv(TraceFile::kStderrVariable, mirror, 1);
        ::testing::internal::CaptureStderr();
        {
            TraceFile trace(folder.Path());
            path = trace.Path();
            for (int poll = 0; poll < 3000; ++poll) {
                win::OutputDebugStringA("recvfrom() returned -1.\r\n");
                win::OutputDebugStringA("***** Data received from Broadcast response is =>\r\n");
                win::OutputDebugStringA("\r\n");
                win::OutputDebugStringA(
                    "Data did not match expected values in Broadcast response.\r\n");
            }
        }
        const std::string err = ::testing::internal::GetCapturedStderr();
        if (std::string(mirror) == "0") {
            EXPECT_EQ(err, "");
        } else {
            EXPECT_EQ(Count(err, "recvfrom() returned -1.\n"), 1);
            EXPECT_EQ(Count(err, "last 4 lines repeated 2999 more times"), 1);
        }
    }
    ::unsetenv(TraceFile::kStderrVariable);
    const std::string text = ReadFile(path);
    EXPECT_EQ(Count(text, "recvfrom() returned -1.\n"), 2);
    EXPECT_EQ(Count(text, "  ---- last 4 lines repeated 2999 more times ----\n"), 2);
    EXPECT_LT(text.size(), 2000U);
}

} // namespace
