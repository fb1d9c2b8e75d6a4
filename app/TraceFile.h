// The application's trace: the debugger output channel (discovery and
// connection traces) goes to a file in AppLogFolder and to stderr, and the
// transport's standard-output lines go to the same file. Each run appends to
// the file, after a line that marks its start; a file grown past kRotateBytes
// becomes tm80-trace.log.1 (replacing the one before) and a new file begins. The channels are given
// back to their defaults when the object goes.
#pragma once

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class TraceFile {
public:
    static constexpr const char* kFileName = "tm80-trace.log";
    static constexpr long kRotateBytes = 4L * 1024 * 1024;

    // Opens (or creates) `folder`/tm80-trace.log for appending and takes over
    // both channels. Without the file the debugger channel still reaches stderr.
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
    void Write(std::string_view text, bool toStderr);

    std::string path_;
    std::unique_ptr<std::FILE, Closer> file_;
    std::mutex lock_;
};
