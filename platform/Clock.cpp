#include "Clock.h"

#include <chrono>
#include <thread>

namespace win {

namespace {
const auto processStart = std::chrono::steady_clock::now();
}

std::int64_t ProcessClock() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 processStart)
        .count();
}

void Sleep(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace win
