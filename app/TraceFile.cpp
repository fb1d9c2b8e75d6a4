#include "app/TraceFile.h"

#include "platform/DebugOutput.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "2024-05-17 14:03:22.481": the time of day of each trace entry.
std::string TimeStamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 32> text{};
    const std::size_t n = std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text.data() + n, text.size() - n, ".%03d", static_cast<int>(ms));
    return text.data();
}

// Trace texts end their lines with "\r" as on Windows; the file gets "\n".
std::string AsLine(std::string_view text) {
    std::string line(text);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    line += '\n';
    return line;
}

} // namespace

TraceFile::TraceFile(const std::string& folder) : path_(folder + "/" + kFileName) {
    // Every discovery traces thousands of lines: a file past the limit is kept
    // as the one previous file and a new one begins.
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 && info.st_size >= kRotateBytes) {
        std::rename(path_.c_str(), (path_ + ".1").c_str());
    }
    file_.reset(std::fopen(path_.c_str(), "a"));
    if (file_) {
        std::fprintf(file_.get(), "==== %s  tm80 started (process %d) ====\n", TimeStamp().c_str(),
                     static_cast<int>(::getpid()));
        std::fflush(file_.get());
    }
    win::SetDebugOutputSink([this](std::string_view text) { Write(text, true); });
    win::SetStandardOutputSink([this](std::string_view text) { Write(text, false); });
}

TraceFile::~TraceFile() {
    win::SetDebugOutputSink({});
    win::SetStandardOutputSink({});
}

void TraceFile::Write(std::string_view text, bool toStderr) {
    const std::string line = AsLine(text);
    std::lock_guard guard(lock_);
    if (toStderr) {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
    if (file_) {
        const std::string stamp = TimeStamp() + "  ";
        std::fwrite(stamp.data(), 1, stamp.size(), file_.get());
        std::fwrite(line.data(), 1, line.size(), file_.get());
        std::fflush(file_.get());
    }
}
