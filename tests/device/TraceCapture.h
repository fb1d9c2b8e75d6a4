// Keeps everything written to the debugger output channel while it lives.
#pragma once

#include "platform/DebugOutput.h"

#include <mutex>
#include <string>

class TraceCapture {
public:
    TraceCapture() {
        win::SetDebugOutputSink([this](std::string_view text) {
            std::lock_guard guard(lock_);
            text_.append(text);
        });
    }
    ~TraceCapture() { win::SetDebugOutputSink({}); }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::string Text() const {
        std::lock_guard guard(lock_);
        return text_;
    }
    bool Contains(const std::string& piece) const {
        return Text().find(piece) != std::string::npos;
    }

private:
    mutable std::mutex lock_;
    std::string text_;
};
