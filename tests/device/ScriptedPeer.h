// A scripted stand-in for a unit in tests: a TCP server on one loopback
// address, port 5000, that records every frame and answers as its handler
// says. Unlike the simulator it can answer any bytes at all, so tests can feed
// the unit model exact replies. Serves one connection at a time on a thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testpeer {

struct PeerFrame {
    std::uint16_t command = 0;
    std::vector<std::uint8_t> bytes; // the whole frame, header included

    std::uint8_t Payload(std::size_t i) const { return bytes.at(6 + i); }
};

struct Answer {
    std::vector<std::uint8_t> bytes; // sent as they are; empty sends nothing
    bool close = false;              // close the connection after sending
};

class ScriptedPeer {
public:
    using Handler = std::function<Answer(const PeerFrame&)>;

    explicit ScriptedPeer(std::string address);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Listens and serves; false when the address cannot be bound.
    bool Start();
    // Replaces the handler; the default answers every frame with a header
    // and a zero payload of the length the command's reply has.
    void SetHandler(Handler handler);

    const std::string& Address() const { return address_; }
    std::vector<PeerFrame> Frames() const;
    void ClearFrames();
    int ClosedConnections() const { return closed_; }

    // Header + zero payload of the reply length of `command`.
    static std::vector<std::uint8_t> DefaultReply(std::uint16_t command);
    // Header + `payload`.
    static std::vector<std::uint8_t> Reply(std::uint16_t command,
                                           const std::vector<std::uint8_t>& payload);
    // Header + a block payload of 64 little-endian words.
    static std::vector<std::uint8_t> BlockReply(const std::vector<std::uint16_t>& words);

private:
    void Serve();
    void ServeConnection(int fd);
    bool ReadExactly(int fd, std::uint8_t* to, std::size_t count);

    std::string address_;
    int listenFd_ = -1;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> closed_{0};
    mutable std::mutex mutex_;
    Handler handler_;
    std::vector<PeerFrame> frames_;
};

} // namespace testpeer
