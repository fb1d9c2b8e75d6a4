// Sockets, the clock and named mutexes as the Windows calls behave.
#include "platform/Clock.h"
#include "platform/NamedMutex.h"
#include "platform/WinSock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <future>

namespace {

sockaddr_in Address(const char* text, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = win::inet_addr(text);
    return a;
}
sockaddr* Sa(sockaddr_in& a) {
    return reinterpret_cast<sockaddr*>(&a);
}

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

// Errors as Windows tells them: connecting to 0.0.0.0 fails; a receive
// time-out on a blocking socket is WSAETIMEDOUT, an empty non-blocking socket
// WSAEWOULDBLOCK (the transport treats them differently). A one-byte "1" sets
// a boolean option.
TEST(WinSockTest, ErrorsAndOptionsAsOnWindows) {
    win::WSADATA data{};
    ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data), 0);
    win::SOCKET client = win::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at = Address("0.0.0.0", 5000);
    EXPECT_EQ(win::connect(client, Sa(at), sizeof at), win::SOCKET_ERROR);
    EXPECT_EQ(win::WSAGetLastError(), win::WSAEADDRNOTAVAIL);
    EXPECT_EQ(win::closesocket(client), 0);

    win::SOCKET listener = win::socket(AF_INET, SOCK_STREAM, 0);
    at = Address("127.11.9.1", 0);
    ASSERT_EQ(win::bind(listener, Sa(at), sizeof at), 0);
    ASSERT_EQ(win::listen(listener, 4), 0);
    int len = sizeof at;
    ASSERT_EQ(win::getsockname(listener, Sa(at), &len), 0);
    client = win::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(win::connect(client, Sa(at), sizeof at), 0);
    win::DWORD timeout = 50;
    ASSERT_EQ(win::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&timeout),
                              sizeof timeout),
              0);
    char byte = 0;
    std::int64_t start = win::ProcessClock();
    EXPECT_EQ(win::recv(client, &byte, 1, 0), win::SOCKET_ERROR);
    EXPECT_EQ(win::WSAGetLastError(), win::WSAETIMEDOUT);
    EXPECT_GE(win::ProcessClock() - start, 40);
    win::u_long mode = 1;
    ASSERT_EQ(win::ioctlsocket(client, win::FIONBIO_, &mode), 0);
    EXPECT_EQ(win::recv(client, &byte, 1, 0), win::SOCKET_ERROR);
    EXPECT_EQ(win::WSAGetLastError(), win::WSAEWOULDBLOCK);
    win::closesocket(client);
    win::closesocket(listener);

    const win::SOCKET udp = win::socket(AF_INET, SOCK_DGRAM, 0);
    EXPECT_EQ(win::setsockopt(udp, SOL_SOCKET, SO_BROADCAST, "1", 1), 0);
    int value = 0;
    socklen_t size = sizeof value;
    ASSERT_EQ(::getsockopt(static_cast<int>(udp), SOL_SOCKET, SO_BROADCAST, &value, &size), 0);
    EXPECT_NE(value, 0);
    win::closesocket(udp);
    win::WSACleanup();
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
