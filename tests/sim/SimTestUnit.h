// Simulated units for tests on loopback addresses of their own: the address
// is picked from the test's name, so test processes running side by side
// rarely meet, and walks on while it is taken.
#pragma once

#include "sim/SimUnit.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace simtest {

// A read of the unit's note: command 0x1003 with mode 0 (0x80 would write it).
inline bool IsNoteRead(const sim::ReceivedFrame& frame) {
    return frame.command == 0x1003 && frame.bytes.size() > 6 && frame.bytes[6] == 0x00;
}

inline std::string CurrentTestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

// 127.<second>.x.y from `name`; `attempt` walks on from there.
inline std::string TestAddress(int second, const std::string& name, int attempt = 0) {
    std::size_t h = std::hash<std::string>{}(name) + static_cast<std::size_t>(attempt) * 7919;
    return "127." + std::to_string(second) + "." + std::to_string((h >> 8) % 254 + 1) + "." +
           std::to_string(h % 253 + 2);
}

// The first `make(address)` of that series whose Start() succeeds; nullptr when none did.
template <class Make> auto StartOnFreeAddress(int second, const std::string& name, Make make) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (auto started = make(TestAddress(second, name, attempt)); started->Start()) {
            return started;
        }
    }
    return decltype(make(name))();
}

inline std::unique_ptr<sim::SimUnit> StartUnit(int second, const std::string& name,
                                               sim::UnitConfig config = {}) {
    return StartOnFreeAddress(second, name, [&config](const std::string& address) {
        config.address = address;
        return std::make_unique<sim::SimUnit>(config);
    });
}

} // namespace simtest
