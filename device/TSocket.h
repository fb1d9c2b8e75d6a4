// Socket base of the transport: the connection's address fields and
// do-nothing defaults for the transfer operations.
#pragma once

#include "device/CBaseClass.h"
#include "platform/WinSock.h"

#include <array>
#include <string_view>

class TSocket : public CBaseClass {
public:
    static constexpr std::size_t kTextField = 260; // texts hold at most 259 characters

    TSocket() = default;
    ~TSocket() override = default;

    int FlushInput() override { return 0; }
    int Send(const std::uint8_t*, int) override { return 0; }
    int ReceiveByte(std::uint8_t*) override { return 0; }
    std::uint16_t GetLocalPort() override { return localPort_; }
    const char* GetAddress() override { return remoteAddress_.data(); }
    std::uint16_t GetPort() override { return remotePort_; }

    bool IsConnected() const { return connected_ != 0; }
    const char* LocalAddress() const { return localAddress_.data(); }
    const char* LastErrorText() const { return lastErrorText_.data(); }
    win::SOCKET Socket() const { return socket_; }

protected:
    // Copies text into a fixed field, cutting it at the field's limit.
    static void SetField(std::array<char, kTextField>& field, std::string_view text);

    std::array<char, kTextField> remoteAddress_{};
    std::uint16_t remotePort_ = 0;
    std::array<char, kTextField> localAddress_{};
    std::uint16_t localPort_ = 0;
    int connected_ = 0;
    win::WSADATA wsaData_{};
    win::SOCKET socket_ = win::INVALID_SOCKET;
    std::array<char, kTextField> lastErrorText_{};
};
