// A writer killed (SIGKILL) at random moments: what it was writing must be
// whole after every kill, the old content or a complete new one.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace killtest {

// A sanitizer makes every fork and write several times slower.
#ifdef __SANITIZE_ADDRESS__
constexpr int kSlowdown = 3;
#else
constexpr int kSlowdown = 1;
#endif

// Times four writes, write(0) to write(3), each of which must succeed and
// after each of which seen() may note what it left; then forks `rounds`
// children (fewer under a sanitizer), each running write(0), write(1), ...
// until it is killed after a random delay of up to three times one write;
// whole() is asked after each kill.
inline void KillWhileWriting(int rounds, unsigned seed, const std::function<bool(int)>& write,
                             const std::function<void()>& seen,
                             const std::function<bool()>& whole) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(write(i)) << "write " << i;
        seen();
    }
    const long span =
        (std::chrono::steady_clock::now() - start) * 3 / 4 / std::chrono::microseconds(1);
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, std::max<long>(200, span));
    for (int round = 0; round < rounds / kSlowdown; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        for (int i = 0; child == 0; ++i) {
            write(i);
        }
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(whole()) << "round " << round;
    }
}

} // namespace killtest
