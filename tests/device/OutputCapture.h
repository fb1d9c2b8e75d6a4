// Keeps what is written to standard output and to the debugger output channel
// while it lives; with `keep` false drops it (long runs whose heap is measured).
#pragma once

#include "platform/DebugOutput.h"

#include <mutex>
#include <string>

class OutputCapture {
public:
    explicit OutputCapture(bool keep = true) : keep_(keep) {
        win::SetStandardOutputSink([this](std::string_view t) { Append(stdout_, t); });
        win::SetDebugOutputSink([this](std::string_view t) { Append(debug_, t); });
    }
    ~OutputCapture() {
        win::SetStandardOutputSink({});
        win::SetDebugOutputSink({});
    }
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    std::string Stdout() const { return Copy(stdout_); }
    std::string Debug() const { return Copy(debug_); }

private:
    void Append(std::string& to, std::string_view text) {
        std::lock_guard guard(lock_);
        to.append(keep_ ? text : std::string_view());
    }
    std::string Copy(const std::string& from) const {
        std::lock_guard guard(lock_);
        return from;
    }

    const bool keep_;
    mutable std::mutex lock_;
    std::string stdout_, debug_;
};
