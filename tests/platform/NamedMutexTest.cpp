// Named mutexes: one lock per name, owned by a thread, taken again by it,
// waited on with a time-out.
#include "platform/NamedMutex.h"

#include <gtest/gtest.h>

#include <future>

namespace {

// Another thread opens `name`, waits `ms` for it and lets it go again.
win::DWORD WaitElsewhere(const std::string& name, win::DWORD ms) {
    return std::async(std::launch::async,
                      [name, ms] {
                          win::NamedMutex m(name);
                          const win::DWORD r = m.Wait(ms);
                          m.Release();
                          return r;
                      })
        .get();
}

TEST(NamedMutexTest, OneLockPerNameOwnedByItsThread) {
    win::NamedMutex m("NAMED_MUTEX_TEST");
    EXPECT_FALSE(m.Release());
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0);
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0); // the owner takes it again
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_TEST", 20), win::WAIT_TIMEOUT);
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_OTHER", 0), win::WAIT_OBJECT_0);
    EXPECT_EQ(WaitElsewhere("", 0), win::WAIT_OBJECT_0);
    EXPECT_FALSE(std::async(std::launch::async, [] {
                     win::NamedMutex same("NAMED_MUTEX_TEST");
                     return same.Release(); // not the owner
                 }).get());
    EXPECT_TRUE(m.Release());
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_TEST", 0), win::WAIT_TIMEOUT); // still held once
    EXPECT_TRUE(m.Release());
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_TEST", 0), win::WAIT_OBJECT_0);
}

TEST(NamedMutexTest, AWaiterGetsTheLockWhenItIsReleased) {
    win::NamedMutex m("NAMED_MUTEX_HANDOVER");
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0);
    std::promise<void> waiting;
    auto result = std::async(std::launch::async, [&waiting] {
        win::NamedMutex same("NAMED_MUTEX_HANDOVER");
        waiting.set_value();
        const win::DWORD r = same.Wait(10000);
        same.Release();
        return r;
    });
    waiting.get_future().wait();
    EXPECT_TRUE(m.Release());
    EXPECT_EQ(result.get(), win::WAIT_OBJECT_0);
}

} // namespace
