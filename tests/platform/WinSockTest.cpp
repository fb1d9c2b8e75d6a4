#include "platform/WinSock.h"
#include "platform/Clock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

sockaddr_in Address(const char* text, std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = win::inet_addr(text);
    return a;
}

class WinSockTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data_), 0); }
    void TearDown() override { win::WSACleanup(); }
    win::WSADATA data_{};
};

} // namespace

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

TEST_F(WinSockTest, ConnectToUnspecifiedAddressFailsAsOnWindows) {
    win::SOCKET s = win::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, win::INVALID_SOCKET);
    sockaddr_in any = Address("0.0.0.0", 5000);
    EXPECT_EQ(win::connect(s, reinterpret_cast<sockaddr*>(&any), sizeof any), win::SOCKET_ERROR);
    EXPECT_EQ(win::WSAGetLastError(), win::WSAEADDRNOTAVAIL);
    win::closesocket(s);
}

TEST_F(WinSockTest, OneByteBroadcastOptionIsAccepted) {
    win::SOCKET s = win::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_NE(s, win::INVALID_SOCKET);
    char on = '1';
    EXPECT_EQ(win::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, 1), 0);
    int value = 0;
    socklen_t len = sizeof value;
    ASSERT_EQ(::getsockopt(static_cast<int>(s), SOL_SOCKET, SO_BROADCAST, &value, &len), 0);
    EXPECT_NE(value, 0);
    win::closesocket(s);
}

// A receive time-out on a blocking socket is WSAETIMEDOUT; an empty
// non-blocking socket is WSAEWOULDBLOCK. The transport treats them differently.
TEST_F(WinSockTest, ReceiveTimeOutAndWouldBlockAreTold) {
    win::SOCKET listener = win::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at = Address("127.11.9.1", 0);
    ASSERT_EQ(win::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    ASSERT_EQ(win::listen(listener, 4), 0);
    int len = sizeof at;
    ASSERT_EQ(win::getsockname(listener, reinterpret_cast<sockaddr*>(&at), &len), 0);

    win::SOCKET client = win::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(win::connect(client, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
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
}

TEST(ProcessClock, CountsWallTimeWhileSleeping) {
    std::int64_t start = win::ProcessClock();
    win::Sleep(30);
    EXPECT_GE(win::ProcessClock() - start, 30);
}
