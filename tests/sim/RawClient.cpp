#include "tests/sim/RawClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace simtest {

Bytes Frame(std::uint16_t command, const Bytes& payload, std::uint16_t unitType) {
    auto n = static_cast<std::uint16_t>(payload.size());
    Bytes out(6 + payload.size());
    out[0] = static_cast<std::uint8_t>(unitType & 0xFF);
    out[1] = static_cast<std::uint8_t>(unitType >> 8);
    out[2] = static_cast<std::uint8_t>(command & 0xFF);
    out[3] = static_cast<std::uint8_t>(command >> 8);
    out[4] = static_cast<std::uint8_t>(n & 0xFF);
    out[5] = static_cast<std::uint8_t>(n >> 8);
    std::copy(payload.begin(), payload.end(), out.begin() + 6);
    return out;
}

RawClient::~RawClient() {
    Close();
}

bool RawClient::Connect(const std::string& address, std::uint16_t port) {
    Close();
    peerClosed_ = false;
    error_ = 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (::inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) {
        error_ = EINVAL;
        return false;
    }
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        error_ = errno;
        Close();
        return false;
    }
    return true;
}

void RawClient::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool RawClient::Send(const Bytes& bytes) {
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n != static_cast<ssize_t>(bytes.size())) {
        error_ = errno;
        return false;
    }
    return true;
}

Bytes RawClient::Receive(std::size_t count, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    Bytes out;
    while (out.size() < count && fd_ >= 0) {
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        std::uint8_t buffer[512];
        std::size_t want = std::min(sizeof buffer, count - out.size());
        ssize_t n = ::recv(fd_, buffer, want, 0);
        if (n == 0) {
            peerClosed_ = true;
            break;
        }
        if (n < 0) {
            error_ = errno;
            break;
        }
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

Bytes RawClient::Exchange(std::uint16_t command, const Bytes& payload, std::size_t replyLength) {
    if (!Send(Frame(command, payload))) {
        return {};
    }
    return Receive(6 + replyLength, 1000);
}

} // namespace simtest
