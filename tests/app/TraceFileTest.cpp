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

TEST(TraceFileTest, AFullFileBecomesThePreviousOne) {
    TempFolder folder;
    const std::string path = folder.Path() + "/tm80-trace.log";
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        const std::string block(1024, 'x');
        for (long n = 0; n < TraceFile::kRotateBytes; n += 1024)
            std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
    }
    { TraceFile trace(folder.Path()); }
    EXPECT_EQ(ReadFile(path + ".1").size(), static_cast<std::size_t>(TraceFile::kRotateBytes));
    EXPECT_EQ(Count(ReadFile(path), "tm80 started"), 1);
    EXPECT_LT(ReadFile(path).size(), 200U);
}

} // namespace
