// Tests that broadcast run themselves again inside a private network
// namespace, where a broadcast reaches loopback and nothing else, and where
// their addresses and ports meet no other process's (a second run of the same
// tests at the same time included):
//   unshare -rn sh -c '<setup> exec <this program> --gtest_filter=<test>'
#pragma once

#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace nstest {

// Setups: loopback up; and loopback up with a default route through it from
// 127.0.0.1, so that a search broadcast leaves from an address the simulated
// modules (answering loopback only) answer.
inline constexpr const char* kLoopbackUp = "ip link set lo up && ";
inline constexpr const char* kSearchOnLoopback =
    "ip link set lo up && ip route add default dev lo src 127.0.0.1 && ";

inline bool Inside() {
    return std::getenv("TM80_TEST_IN_NAMESPACE") != nullptr;
}

// Runs `test` of this program again inside a private network namespace set
// up by `setup` (shell commands, each ending in "&& "); the run must pass.
inline void RunInPrivateNamespace(const std::string& test, const std::string& setup) {
    // Without a private namespace the test must not broadcast at all: it fails instead.
    ASSERT_EQ(std::system("unshare -rn true >/dev/null 2>&1"), 0)
        << "no private network namespaces here (unshare -rn failed)";
    char self[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
    std::string command = "TM80_TEST_IN_NAMESPACE=1 unshare -rn sh -c '" + setup +
                          "exec \"$0\" --gtest_filter=" + test + "' '" + self + "'";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the run inside the namespace failed";
}

// Outside: runs the current test inside a namespace set up by `setup` and
// returns true (the test returns then). Inside: false.
inline bool RanInPrivateNamespace(const char* setup = kLoopbackUp) {
    if (Inside()) {
        return false;
    }
    RunInPrivateNamespace(simtest::CurrentTestName(), setup);
    return true;
}

} // namespace nstest
