#include "infra/TraceFile.h"

#include "platform/DebugOutput.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// Trace texts end their lines with "\r", "\r\n" or "\n" as on Windows; one
// text may hold several lines. The lines without their ends.
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        lines.push_back(std::move(line));
        line.clear();
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
    }
    if (!line.empty() || lines.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
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
    const char* mirror = std::getenv(kStderrVariable);
    toStderr_ = mirror != nullptr && std::string_view(mirror) == "1";
    win::SetDebugOutputSink([this](std::string_view text) { Write(text); });
    win::SetStandardOutputSink([this](std::string_view text) { Write(text); });
}

TraceFile::~TraceFile() {
    win::SetDebugOutputSink({});
    win::SetStandardOutputSink({});
    std::lock_guard guard(lock_);
    repeats_.Flush();
}

void TraceFile::Write(std::string_view text) {
    std::lock_guard guard(lock_);
    for (const std::string& line : Lines(text)) {
        repeats_.Add(line);
    }
}

void TraceFile::WriteLine(const std::string& line) {
    if (toStderr_) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    }
    if (file_) {
        std::fprintf(file_.get(), "%s  %s\n", TimeStamp().c_str(), line.c_str());
        std::fflush(file_.get());
    }
}
