// Keeps what the transport writes to standard output and the debugger channel.
#pragma once

#include <mutex>
#include <string>

class OutputCapture {
public:
    OutputCapture();
    ~OutputCapture();
    std::string Stdout() const;
    std::string Debug() const;

private:
    mutable std::mutex lock_;
    std::string stdout_;
    std::string debug_;
};
