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
    // Windows gives up a connect after about 21 s; Linux only after about
    // 127 s, which would freeze a start-up with a stored address whose unit
    // is off for two minutes.
    static constexpr int kConnectTimeoutMs = 21000;
    // A lone graceful close waits at most this long for the unit to close its
    // side (each wait for data still at most the receive time-out).
    static constexpr int kCloseBudgetMs = 1000;

    // Connects at once, within `connectTimeoutMs`; the caller tests
    // IsConnected() afterwards. Whoever shows progress reports the connect.
    explicit TCPCom(const char* address, int connectTimeoutMs = kConnectTimeoutMs);
    // Graceful close (BeginClose, then FinishClose within kCloseBudgetMs)
    // unless it was done already.
    ~TCPCom() override;

    // The graceful close in two steps, so that several connections can be
    // closed together under one deadline: BeginClose shuts down the sending
    // direction; FinishClose takes what the unit still sends until it closes
    // its side, the receive time-out passes without data, or the process
    // clock reaches `deadlineMs`, then closes the socket.
    void BeginClose();
    void FinishClose(std::int64_t deadlineMs);

    // Received bytes are served from the receive buffer, which one receive
    // fills with whatever has arrived; the buffer is empty before every
    // receive, so each byte still waits at most the receive time-out.
    int FlushInput() override;
    int Send(const std::uint8_t* buf, int len) override;
    // 1 with one byte in *out. 0 when none came: after the receive time-out
    // (still connected), or when the connection is gone (the unit closed or
    // reset it, or the wait was broken off; the connected flag drops to 0 and
    // stays there).
    int ReceiveByte(std::uint8_t* out) override;

    // A descriptor (or -1) whose becoming readable breaks off the wait for a
    // byte: the unit's I/O worker is being stopped, and the connection is
    // about to be closed. Each wait still ends after the receive time-out.
    void SetBreakDescriptor(int fd) { breakFd_ = fd; }
    bool IsBrokenOff() const { return brokenOff_; }
    // Bytes received but not yet taken come first (moved to the start of the
    // receive buffer); otherwise one receive of up to 2000 bytes.
    virtual int ReceiveChunk();

    const std::uint8_t* ReceiveBuffer() const { return receiveBuffer_.data(); }
    // The Windows Sockets error of a connect that failed (WSAECONNREFUSED,
    // WSAETIMEDOUT...), 0 when it did not fail.
    int ConnectError() const { return connectError_; }

    // The failure text composed for a socket call that failed with `code`.
    static std::string FailureText(const char* operation, int code);
    // The description of a Windows Sockets error code, or nullptr when unknown.
    static const char* ErrorDescription(int code);

private:
    // Receive errors after which the connection cannot carry another byte.
    static bool ConnectionGone(int error);
    // Waits up to the receive time-out for data or the break descriptor:
    // 1 data (or an end or error to read), 0 time-out, -1 broken off.
    int WaitForData();
    void ComposeFailure(const char* operation, int code);

    std::uint32_t receiveTimeout_ = kReceiveTimeoutMs;
    std::array<std::uint8_t, kReceiveBufferSize> receiveBuffer_{};
    int bufferedFirst_ = 0; // bytes [first, end) of the receive buffer are not taken yet
    int bufferedEnd_ = 0;
    sockaddr_in remoteSockAddr_{};
    int connectError_ = 0;
    int breakFd_ = -1;
    bool brokenOff_ = false;
    bool libraryStarted_ = false;
    bool closing_ = false; // BeginClose ran
    bool shutdownFailed_ = false;
};
