// The trace file: each run appends after a start line; debugger-channel and
// standard-output texts land in it as lines.

#include "app/TraceFile.h"
#include "platform/DebugOutput.h"
#include "tests/infra/TempFolder.h"

#include <gtest/gtest.h>

namespace {

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
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

} // namespace
