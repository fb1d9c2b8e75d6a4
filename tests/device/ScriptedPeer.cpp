#include "tests/device/ScriptedPeer.h"

#include "sim/UnitState.h"
#include "tests/sim/RawClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testpeer {

namespace {

constexpr std::uint16_t kPort = 5000;
constexpr int kPollMs = 20;

void SendAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return;
        }
        sent += static_cast<std::size_t>(n);
    }
}

} // namespace

ScriptedPeer::ScriptedPeer(std::string address) : address_(std::move(address)) {
    handler_ = [](const PeerFrame& frame) { return Answer{DefaultReply(frame.command)}; };
}

ScriptedPeer::~ScriptedPeer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (listenFd_ >= 0) {
        ::close(listenFd_);
    }
}

bool ScriptedPeer::Start() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    if (listenFd_ < 0) {
        return false;
    }
    int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(kPort);
    if (::inet_pton(AF_INET, address_.c_str(), &addr.sin_addr) != 1 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 4) != 0) {
        return false;
    }
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void ScriptedPeer::SetHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<PeerFrame> ScriptedPeer::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

void ScriptedPeer::ClearFrames() {
    std::lock_guard lock(mutex_);
    frames_.clear();
}

std::vector<std::uint8_t> ScriptedPeer::DefaultReply(std::uint16_t command) {
    // The simulator's table, not the application's: the peer must not share its faults.
    int length = std::max(sim::UnitState::ReplyLength(command), 0);
    return Reply(command, std::vector<std::uint8_t>(static_cast<std::size_t>(length), 0));
}

std::vector<std::uint8_t> ScriptedPeer::Reply(std::uint16_t command,
                                              const std::vector<std::uint8_t>& payload) {
    return simtest::Frame(command, payload);
}

std::vector<std::uint8_t> ScriptedPeer::BlockReply(const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> payload(128, 0);
    for (std::size_t w = 0; w < words.size() && w < 64; ++w) {
        payload[2 * w] = static_cast<std::uint8_t>(words[w] & 0xFF);
        payload[2 * w + 1] = static_cast<std::uint8_t>(words[w] >> 8);
    }
    return Reply(0x2009, payload);
}

void ScriptedPeer::Serve() {
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0) {
            continue;
        }
        int fd = ::accept(listenFd_, nullptr, nullptr);
        if (fd < 0) {
            continue;
        }
        int yes = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        ServeConnection(fd);
        ++closed_;
        ::close(fd);
    }
}

bool ScriptedPeer::ReadExactly(int fd, std::uint8_t* to, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        if (stop_) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0) {
            continue;
        }
        ssize_t n = ::recv(fd, to + got, count - got, 0);
        if (n <= 0) {
            return false; // the client closed its side, or the connection broke
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

void ScriptedPeer::ServeConnection(int fd) {
    for (;;) {
        PeerFrame frame;
        frame.bytes.resize(6);
        if (!ReadExactly(fd, frame.bytes.data(), 6)) {
            return;
        }
        frame.command = static_cast<std::uint16_t>(frame.bytes[2] | (frame.bytes[3] << 8));
        std::size_t length = frame.bytes[4] | (frame.bytes[5] << 8);
        frame.bytes.resize(6 + length);
        if (length > 0 && !ReadExactly(fd, frame.bytes.data() + 6, length)) {
            return;
        }
        Handler handler;
        {
            std::lock_guard lock(mutex_);
            frames_.push_back(frame);
            handler = handler_;
        }
        Answer answer = handler(frame);
        SendAll(fd, answer.bytes);
        if (answer.close) {
            return;
        }
    }
}

} // namespace testpeer
