// The error log: stamps, line format, paths, and the recovery from a held lock.
#include "infra/ErrorLog.h"
#include "TempFolder.h"
#include "infra/Environment.h"
#include "infra/TimerClass.h"
#include "infra/WinAppplus.h"
#include "platform/NamedMutex.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <limits>
#include <regex>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

TEST(ErrorLogStamp, SplitsAndCarries) {
    struct Case {
        double t;
        const char* stamp;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorLog::FormatStamp(c.t), c.stamp) << c.t;
    }
}

class ErrorLogTest : public ::testing::Test {
protected:
    TempFolder root;
    WorkingFolder here{root.Path()};
    void SetUp() override { ResetProcessValues(); }
    void TearDown() override { ResetProcessValues(); }
};

const std::regex kLine(R"(^(\d{6})  (\d{3}):(\d{2}):(\d{2}):(\d{2}\.\d{6})  (.*)\r$)");

std::vector<std::string> Lines(const std::string& content) {
    std::vector<std::string> lines;
    std::istringstream in(content);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

using NumberAndText = std::pair<std::string, std::string>;

// The number and the text of a log line; both empty when it has not the format.
NumberAndText Fields(const std::string& line) {
    std::smatch m;
    if (!std::regex_match(line, m, kLine)) {
        return {};
    }
    return {m[1], m[6]};
}

TEST_F(ErrorLogTest, LineFormat) {
    auto log = ErrorLog::Create(root / "line.Log");
    ASSERT_TRUE(log);
    EXPECT_EQ(ReadFile(root / "line.Log"), "");
    log->Log("hello there", 7);
    log->Log("second", -3);
    const auto lines = Lines(ReadFile(root / "line.Log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Fields(lines[0]), NumberAndText("000007", "hello there")) << lines[0];
    EXPECT_EQ(lines[1].substr(0, 6), "-00003");
    const std::string content = ReadFile(root / "line.Log");
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
}

TEST_F(ErrorLogTest, EachStartWritesAFreshBannerIntoTheLogFolderWhenThereIsOne) {
    StartErrorLog("1.0", "KD50", "", "");
    EXPECT_EQ(Lines(ReadFile(root / "LogFile.Log")).size(), 2u); // no log folder named
    StopErrorLog();
    StartErrorLog("", "KD50", "/SYSTEM/ERLOGS/", "");
    EXPECT_EQ(TheErrorLog()->LockName(), "ERRORLOGGING_" + std::to_string(getpid()));
    EXPECT_EQ(Lines(ReadFile(root / ".Log")).size(), 2u); // the folder does not exist
    EXPECT_FALSE(std::filesystem::exists(root / "SYSTEM"));
    StopErrorLog();

    std::filesystem::create_directories(root / "SYSTEM/ERLOGS");
    StartErrorLog("", "KD50", "/SYSTEM/ERLOGS/", "");
    ASSERT_NE(TheErrorLog(), nullptr);
    EXPECT_EQ(TheErrorLog()->Path(), root.Path() + "/SYSTEM/ERLOGS/KD50.Log");
    EXPECT_EQ(TheErrorLog()->LockName(), "ERRORLOGGING_KD50" + std::to_string(getpid()));
    const auto lines = Lines(ReadFile(root / "SYSTEM/ERLOGS/KD50.Log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Fields(lines[0]),
              NumberAndText("000000", "------------------PROGRAM START--------------------"))
        << lines[0];
    EXPECT_EQ(Fields(lines[1]).second, "Program Version ") << lines[1];

    // A second run empties the log.
    LogText("first run only", 5);
    StopErrorLog();
    StartErrorLog("", "KD50", "/SYSTEM/ERLOGS/", "");
    EXPECT_EQ(Lines(ReadFile(root / "SYSTEM/ERLOGS/KD50.Log")).size(), 2u);
}

TEST_F(ErrorLogTest, LogTextWritesFromTheRootWhateverTheCurrentFolder) {
    StartErrorLog("", "KD50", "/SYSTEM/ERLOGS/", "");
    std::filesystem::create_directories(root / "elsewhere");
    std::filesystem::current_path(root / "elsewhere");
    LogText("from elsewhere", 1);
    EXPECT_EQ(Lines(ReadFile(root / ".Log")).size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(root / "elsewhere/.Log"));
}

TEST_F(ErrorLogTest, NoLogWhenTheFileCannotBeCreated) {
    EXPECT_EQ(ErrorLog::Create(root / "absent/x.Log"), nullptr);
    LogText("nowhere", 1); // no log: nothing happens
}

TEST_F(ErrorLogTest, ALongLineIsCutToTheBuffer) {
    auto log = ErrorLog::Create(root / "long.Log");
    ASSERT_TRUE(log);
    log->Log(std::string(20000, 'x'), 1);
    log->Log("after", 2);
    const auto lines = Lines(ReadFile(root / "long.Log"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size() + 1, ErrorLog::kLineBufferSize - 1); // + the LF
    EXPECT_EQ(lines[0].back(), '\r');
    EXPECT_TRUE(std::regex_match(lines[1], kLine));
}

// Another thread holds `name` from the moment Hold() returns until Let() is called.
class Holder {
public:
    explicit Holder(const std::string& name) {
        thread_ = std::thread([this, name] {
            win::NamedMutex lock(name);
            lock.Wait(win::INFINITE);
            held_.set_value();
            release_.get_future().wait();
            lock.Release();
        });
        held_.get_future().wait();
    }
    ~Holder() {
        release_.set_value();
        thread_.join();
    }

private:
    std::promise<void> held_;
    std::promise<void> release_;
    std::thread thread_;
};

TEST_F(ErrorLogTest, ATimerLockHeldTooLongMakesTheLineRebuildTheTimer) {
    auto log = ErrorLog::Create(root / "timer.Log");
    ASSERT_TRUE(log);
    const std::string oldLock = log->Timer().LockName();
    {
        Holder holder(oldLock);
        log->Log("while held", 3);
    }
    EXPECT_NE(log->Timer().LockName(), oldLock);
    const auto lines = Lines(ReadFile(root / "timer.Log"));
    ASSERT_EQ(lines.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, kLine)) << lines[0];
    EXPECT_EQ(m[6], "while held  >>>> HAD TO USE THE CPU TIME");
    EXPECT_NE(m[2], "000"); // the new timer has a real time
}

TEST_F(ErrorLogTest, ALogLockHeldTooLongDropsTheLine) {
    auto log = ErrorLog::Create(root / "busy.Log");
    ASSERT_TRUE(log);
    {
        Holder holder(log->LockName());
        log->Log("dropped", 1);
    }
    log->Log("kept", 2);
    const auto lines = Lines(ReadFile(root / "busy.Log"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("kept"), std::string::npos);
}

TEST_F(ErrorLogTest, ThreadsWriteWholeLines) {
    auto log = ErrorLog::Create(root / "threads.Log");
    ASSERT_TRUE(log);
    std::vector<std::thread> threads;
    for (int k = 0; k < 4; ++k) {
        threads.emplace_back([&log, k] {
            for (int i = 0; i < 50; ++i) {
                log->Log("thread " + std::to_string(k) + " line " + std::to_string(i), k);
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    const auto lines = Lines(ReadFile(root / "threads.Log"));
    EXPECT_EQ(lines.size(), 200u);
    for (const auto& line : lines) {
        EXPECT_TRUE(std::regex_match(line, kLine)) << line;
    }
}

} // namespace
