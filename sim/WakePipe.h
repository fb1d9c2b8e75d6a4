// A self-pipe that wakes a thread blocked in poll() when another thread has
// work for it (a fault change, bytes to inject, stop).
#pragma once

namespace sim {

class WakePipe {
public:
    WakePipe();
    ~WakePipe();
    WakePipe(const WakePipe&) = delete;
    WakePipe& operator=(const WakePipe&) = delete;

    bool Valid() const { return read_ >= 0 && write_ >= 0; }
    int ReadFd() const { return read_; }
    void Wake();
    void Drain();

private:
    int read_ = -1;
    int write_ = -1;
};

} // namespace sim
