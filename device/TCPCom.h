// The one TCP client connection the application holds to a unit: a blocking
// IPv4 stream socket to the unit's command port, connected in the constructor.
#pragma once

#include "device/TSocket.h"
#include "device/UnitProtocol.h"

#include <string>

class TCPCom : public TSocket {
public:
    static constexpr std::uint16_t kCommandPort = unitprotocol::kCommandPort;
    static constexpr std::uint32_t kReceiveTimeoutMs = 400;
    static constexpr int kReceiveBufferSize = 2000;

    // Connects at once; the caller tests IsConnected() afterwards.
    explicit TCPCom(const char* address);
    // Graceful close: shut down sending, drain until the unit closes or the
    // receive time-out ends the wait, then close.
    ~TCPCom() override;

    int FlushInput() override;
    int Send(const std::uint8_t* buf, int len) override;
    int ReceiveByte(std::uint8_t* out) override;
    virtual int ReceiveChunk();

    const std::uint8_t* ReceiveBuffer() const { return receiveBuffer_.data(); }

    // The failure text composed for a socket call that failed with `code`.
    static std::string FailureText(const char* operation, int code);
    // The description of a Windows Sockets error code, or nullptr when unknown.
    static const char* ErrorDescription(int code);

private:
    void ComposeFailure(const char* operation, int code);

    std::uint32_t receiveTimeout_ = kReceiveTimeoutMs;
    std::array<std::uint8_t, kReceiveBufferSize> receiveBuffer_{};
    sockaddr_in remoteSockAddr_{};
    bool libraryStarted_ = false;
};
