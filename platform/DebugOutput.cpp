#include "DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

namespace win {

namespace {

struct Channel {
    std::mutex lock;
    OutputSink sink;
};

Channel& DebugChannel() {
    static Channel channel;
    return channel;
}

Channel& StdoutChannel() {
    static Channel channel;
    return channel;
}

void Write(Channel& channel, std::string_view text, FILE* fallback) {
    std::lock_guard guard(channel.lock);
    if (channel.sink) {
        channel.sink(text);
    } else {
        std::fwrite(text.data(), 1, text.size(), fallback);
        std::fflush(fallback);
    }
}

} // namespace

void OutputDebugStringA(const char* text) {
    if (text != nullptr) {
        Write(DebugChannel(), text, stderr);
    }
}

void SetDebugOutputSink(OutputSink sink) {
    std::lock_guard guard(DebugChannel().lock);
    DebugChannel().sink = std::move(sink);
}

int StandardOutput(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) {
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    }
    va_end(args);
    Write(StdoutChannel(), text, stdout);
    return n;
}

void SetStandardOutputSink(OutputSink sink) {
    std::lock_guard guard(StdoutChannel().lock);
    StdoutChannel().sink = std::move(sink);
}

} // namespace win
