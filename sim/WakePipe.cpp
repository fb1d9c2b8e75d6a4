#include "sim/WakePipe.h"

#include <fcntl.h>
#include <unistd.h>

namespace sim {

WakePipe::WakePipe() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        read_ = fds[0];
        write_ = fds[1];
    }
}

WakePipe::~WakePipe() {
    if (read_ >= 0) {
        ::close(read_);
    }
    if (write_ >= 0) {
        ::close(write_);
    }
}

void WakePipe::Wake() {
    char c = 1;
    // A full pipe already means "wake up"; nothing is lost by a failed write.
    [[maybe_unused]] auto n = ::write(write_, &c, 1);
}

void WakePipe::Drain() {
    char buffer[64];
    while (::read(read_, buffer, sizeof buffer) > 0) {
    }
}

} // namespace sim
