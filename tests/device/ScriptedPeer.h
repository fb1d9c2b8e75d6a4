// A scripted stand-in for a unit: a TCP server on one loopback address, port
// 5000, that records every frame and answers as its handler says. Unlike the
// simulator it can answer any bytes at all, so tests can feed the unit model
// exact replies. Serves one connection at a time on a thread.
#pragma once

#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "sim/FrameReader.h"
#include "sim/SocketUtil.h"
#include "sim/UnitState.h"
#include "tests/sim/RawClient.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <netinet/tcp.h>
#include <thread>
#include <unistd.h>

namespace testpeer {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint16_t>;

// A frame as the peer received it, taken apart by the simulator's reader.
struct PeerFrame : sim::ReceivedFrame {
    std::uint8_t Payload(std::size_t i) const { return bytes.at(6 + i); }
};

class ScriptedPeer {
public:
    // The bytes to send back, as they are; empty sends nothing.
    using Handler = std::function<Bytes(const PeerFrame&)>;

    explicit ScriptedPeer(std::string address) : address_(std::move(address)) {}
    ~ScriptedPeer() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            ::shutdown(connectionFd_, SHUT_RDWR); // wakes the blocking accept and receive
            ::shutdown(listenFd_, SHUT_RDWR);
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(listenFd_);
    }
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    // Listens and serves; false when the address cannot be bound.
    bool Start() {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in addr{};
        if (!sim::MakeAddress(address_, 5000, addr) ||
            ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(listenFd_, 4) != 0) {
            return false;
        }
        thread_ = std::thread([this] { Serve(); });
        return true;
    }
    void SetHandler(Handler handler) {
        std::lock_guard lock(mutex_);
        handler_ = std::move(handler);
    }
    const std::string& Address() const { return address_; }
    std::vector<PeerFrame> Frames() const {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    void ClearFrames() {
        std::lock_guard lock(mutex_);
        frames_.clear();
    }

    // A zero payload of the reply length the simulator's table (not the
    // application's: the peer must not share its faults) gives `command`.
    static Bytes DefaultReply(std::uint16_t command) {
        return simtest::Frame(command, Bytes(std::max(sim::UnitState::ReplyLength(command), 0), 0));
    }
    // A block payload of 64 little-endian words.
    static Bytes BlockReply(const Words& words) {
        Bytes payload(128, 0);
        for (std::size_t w = 0; w < words.size() && w < 64; ++w) {
            payload[2 * w] = static_cast<std::uint8_t>(words[w] & 0xFF);
            payload[2 * w + 1] = static_cast<std::uint8_t>(words[w] >> 8);
        }
        return simtest::Frame(0x2009, payload);
    }

    // Answers the commands in `replies` with their payloads and block reads
    // from `blocks` (block number -> words); anything else with zeros.
    static Handler Answering(std::map<std::uint16_t, Bytes> replies,
                             std::map<int, Words> blocks = {}) {
        return [replies, blocks](const PeerFrame& frame) {
            auto block = frame.command == 0x2009 ? blocks.find(frame.Payload(0)) : blocks.end();
            auto reply = replies.find(frame.command);
            return block != blocks.end()    ? BlockReply(block->second)
                   : reply != replies.end() ? simtest::Frame(frame.command, reply->second)
                                            : DefaultReply(frame.command);
        };
    }

private:
    void Serve() {
        for (int fd; (fd = ::accept(listenFd_, nullptr, nullptr)) >= 0; ::close(fd)) {
            {
                std::lock_guard lock(mutex_);
                if (stop_) {
                    continue;
                }
                connectionFd_ = fd;
            }
            int yes = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
            sim::FrameReader reader;
            std::uint8_t received[512];
            for (ssize_t n; (n = ::recv(fd, received, sizeof received, 0)) > 0;) {
                reader.Append(received, static_cast<std::size_t>(n));
                for (PeerFrame frame; reader.Next(frame);) {
                    std::unique_lock lock(mutex_);
                    frames_.push_back(frame);
                    const Handler handler = handler_;
                    lock.unlock();
                    const Bytes answer = handler(frame);
                    // Loopback takes a reply this small whole.
                    ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
                }
            }
            std::lock_guard lock(mutex_);
            connectionFd_ = -1;
        }
    }

    std::string address_;
    int listenFd_ = -1;
    std::thread thread_;
    mutable std::mutex mutex_; // guards what follows
    bool stop_ = false;
    int connectionFd_ = -1;
    Handler handler_ = Answering({});
    std::vector<PeerFrame> frames_;
};

// Block 0 with bands 1 (1435-1535 MHz) and 3 (2200-2395 MHz) and monitoring.
inline Words BandBlock() {
    Words words(64, 0);
    words[2] = 14350;
    words[3] = 15350;
    words[6] = 22000;
    words[7] = 23950;
    words[50] = 0x0001;
    return words;
}

// Four table rows of ten channels, sixteen words apart; `value(r, c)` fills them.
inline Words TableBlock(const std::function<int(int, int)>& value) {
    Words words(64, 0);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 10; ++c) {
            words[16 * r + c] = static_cast<std::uint16_t>(value(r, c));
        }
    }
    return words;
}

// A scripted peer on a loopback address of its own and a unit model connected to it.
class PeerTest : public ::testing::Test {
protected:
    void SetUp() override {
        peer = simtest::StartOnFreeAddress(41, simtest::CurrentTestName(), [](std::string address) {
            return std::make_unique<ScriptedPeer>(std::move(address));
        });
        ASSERT_NE(peer, nullptr) << "no free loopback address for the scripted peer";
        connection = std::make_unique<TCPCom>(peer->Address().c_str());
        ASSERT_TRUE(connection->IsConnected());
        unit = std::make_unique<CTM80M1_Comm>(connection.get());
    }
    std::unique_ptr<ScriptedPeer> peer; // declared first: goes last
    std::unique_ptr<TCPCom> connection;
    std::unique_ptr<CTM80M1_Comm> unit;
};

} // namespace testpeer
