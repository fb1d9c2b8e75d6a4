#include "OutputCapture.h"

#include "platform/DebugOutput.h"

OutputCapture::OutputCapture() {
    win::SetStandardOutputSink([this](std::string_view t) {
        std::lock_guard g(lock_);
        stdout_.append(t);
    });
    win::SetDebugOutputSink([this](std::string_view t) {
        std::lock_guard g(lock_);
        debug_.append(t);
    });
}

OutputCapture::~OutputCapture() {
    win::SetStandardOutputSink({});
    win::SetDebugOutputSink({});
}

std::string OutputCapture::Stdout() const {
    std::lock_guard g(lock_);
    return stdout_;
}

std::string OutputCapture::Debug() const {
    std::lock_guard g(lock_);
    return debug_;
}
