// Sockets, the clock and named mutexes as the Windows calls behave.
#include "platform/Clock.h"
#include "platform/NamedMutex.h"
#include "platform/WinSock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <future>

namespace {

TEST(WinSockStartup, SocketsAreRefusedUntilStartedAndCountsBalance) {
    int before = win::WSAStartupCount();
    if (before == 0) {
        EXPECT_EQ(win::socket(AF_INET, SOCK_STREAM, 0), win::INVALID_SOCKET);
        EXPECT_EQ(win::WSAGetLastError(), win::WSANOTINITIALISED);
        EXPECT_EQ(win::WSACleanup(), win::SOCKET_ERROR);
    }
    win::WSADATA data{};
    ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0202);
    EXPECT_EQ(win::WSAStartupCount(), before + 1);
    EXPECT_EQ(win::WSACleanup(), 0);
    EXPECT_EQ(win::WSAStartupCount(), before);
}

TEST(ProcessClock, CountsWallTimeWhileSleeping) {
    std::int64_t start = win::ProcessClock();
    win::Sleep(30);
    EXPECT_GE(win::ProcessClock() - start, 30);
}

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

// One lock per name, owned by a thread, taken again by it, handed to a waiter
// when let go.
TEST(NamedMutexTest, OneLockPerNameOwnedByItsThread) {
    win::NamedMutex m("NAMED_MUTEX_TEST");
    EXPECT_FALSE(m.Release());
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0);
    ASSERT_EQ(m.Wait(0), win::WAIT_OBJECT_0);
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_TEST", 20), win::WAIT_TIMEOUT);
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_OTHER", 0), win::WAIT_OBJECT_0);
    EXPECT_EQ(WaitElsewhere("", 0), win::WAIT_OBJECT_0);
    EXPECT_FALSE(std::async(std::launch::async, [] {
                     return win::NamedMutex("NAMED_MUTEX_TEST").Release(); // not the owner
                 }).get());
    EXPECT_TRUE(m.Release());
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_TEST", 0), win::WAIT_TIMEOUT); // still held once
    std::promise<void> waiting;
    auto handedOver = std::async(std::launch::async, [&waiting] {
        win::NamedMutex same("NAMED_MUTEX_TEST");
        waiting.set_value();
        const win::DWORD r = same.Wait(10000);
        same.Release();
        return r;
    });
    waiting.get_future().wait();
    EXPECT_TRUE(m.Release());
    EXPECT_EQ(handedOver.get(), win::WAIT_OBJECT_0);
    EXPECT_EQ(WaitElsewhere("NAMED_MUTEX_TEST", 0), win::WAIT_OBJECT_0);
}

} // namespace
