// The application's trace: the debugger output channel (discovery and
// connection traces) and the transport's standard-output lines go to a file in
// AppLogFolder, and to stderr as well only when TM80_TRACE=1: started from the
// desktop, stderr ends in the user's journal, and a pipe nobody reads would
// stall the discovery once full. Each run appends to the file, after a line
// that marks its start; repeated lines are written once with a count
// (RepeatedLines). A file grown past kRotateBytes becomes tm80-trace.log.1
// (replacing the one before) and a new file begins. The channels are given
// back to their defaults when the object goes.
#pragma once

#include "infra/RepeatedLines.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class TraceFile {
public:
    static constexpr const char* kFileName = "tm80-trace.log";
    static constexpr long kRotateBytes = 4L * 1024 * 1024;
    static constexpr const char* kStderrVariable = "TM80_TRACE";

    // Opens (or creates) `folder`/tm80-trace.log for appending and takes over
    // both channels.
    explicit TraceFile(const std::string& folder);
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    const std::string& Path() const { return path_; }
    bool IsOpen() const { return file_ != nullptr; }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    void Write(std::string_view text);
    void WriteLine(const std::string& line);

    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
    bool toStderr_ = false;
    std::mutex lock_;
    RepeatedLines repeats_{[this](const std::string& line) { WriteLine(line); }};
};
