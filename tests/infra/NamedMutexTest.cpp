// Named mutexes: one lock per name, owned by a thread, taken again by it,
// waited on with a time-out.
#include "platform/NamedMutex.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

// Runs `f` on another thread and returns its result.
template <typename F> auto OnOtherThread(F f) {
    return std::async(std::launch::async, f).get();
}

TEST(NamedMutexTest, OneLockPerName) {
    win::NamedMutex a("NAMED_MUTEX_TEST_SHARED");
    ASSERT_EQ(a.Wait(0), win::WAIT_OBJECT_0);
    EXPECT_EQ(OnOtherThread([] {
                  win::NamedMutex b("NAMED_MUTEX_TEST_SHARED");
                  return b.Wait(20);
              }),
              win::WAIT_TIMEOUT);
    EXPECT_EQ(OnOtherThread([] {
                  win::NamedMutex other("NAMED_MUTEX_TEST_OTHER");
                  const auto r = other.Wait(0);
                  other.Release();
                  return r;
              }),
              win::WAIT_OBJECT_0);
    EXPECT_TRUE(a.Release());
    EXPECT_EQ(OnOtherThread([] {
                  win::NamedMutex b("NAMED_MUTEX_TEST_SHARED");
                  const auto r = b.Wait(20);
                  b.Release();
                  return r;
              }),
              win::WAIT_OBJECT_0);
}

TEST(NamedMutexTest, OwnerTakesAgainAndOnlyTheOwnerReleases) {
    win::NamedMutex m("NAMED_MUTEX_TEST_RECURSIVE");
    EXPECT_FALSE(m.Release());
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0);
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0);
    EXPECT_FALSE(OnOtherThread([] {
        win::NamedMutex same("NAMED_MUTEX_TEST_RECURSIVE");
        return same.Release();
    }));
    EXPECT_TRUE(m.Release());
    EXPECT_EQ(OnOtherThread([] {
                  win::NamedMutex same("NAMED_MUTEX_TEST_RECURSIVE");
                  return same.Wait(0);
              }),
              win::WAIT_TIMEOUT); // still held once
    EXPECT_TRUE(m.Release());
    EXPECT_FALSE(m.Release());
}

TEST(NamedMutexTest, AWaiterGetsTheLockWhenItIsReleased) {
    win::NamedMutex m("NAMED_MUTEX_TEST_HANDOVER");
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0);
    std::promise<void> waiting;
    auto result = std::async(std::launch::async, [&waiting] {
        win::NamedMutex same("NAMED_MUTEX_TEST_HANDOVER");
        waiting.set_value();
        const auto r = same.Wait(10000);
        same.Release();
        return r;
    });
    waiting.get_future().wait();
    EXPECT_TRUE(m.Release());
    EXPECT_EQ(result.get(), win::WAIT_OBJECT_0);
}

TEST(NamedMutexTest, UnnamedMutexesAreSeparate) {
    win::NamedMutex a("");
    ASSERT_EQ(a.Wait(0), win::WAIT_OBJECT_0);
    EXPECT_EQ(OnOtherThread([] {
                  win::NamedMutex b("");
                  const auto r = b.Wait(0);
                  b.Release();
                  return r;
              }),
              win::WAIT_OBJECT_0);
    a.Release();
}

} // namespace
