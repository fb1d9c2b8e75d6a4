// A plain TCP client for the simulator tests: frames built by hand, replies
// read with a deadline. Shares no code with the application's transport.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

// Header (unit type, command, payload length, little-endian) and payload.
Bytes Frame(std::uint16_t command, const Bytes& payload = {}, std::uint16_t unitType = 0x0016);

class RawClient {
public:
    RawClient() = default;
    ~RawClient() { Close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connect(const std::string& address, std::uint16_t port = 5000);
    void Close();
    bool Send(const Bytes& bytes);
    // Reads until `count` bytes came, the peer closed, an error, or `timeoutMs` passed.
    Bytes Receive(std::size_t count, int timeoutMs);
    // Sends one frame and waits up to 1000 ms for 6 + replyLength bytes.
    Bytes Exchange(std::uint16_t command, const Bytes& payload, std::size_t replyLength);

    bool PeerClosed() const { return peerClosed_; }
    int LastError() const { return error_; } // errno of the last failure

private:
    int fd_ = -1;
    bool peerClosed_ = false;
    int error_ = 0;
};

} // namespace simtest
