#include "tests/sim/RawClient.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

namespace simtest {

Bytes Frame(std::uint16_t command, const Bytes& payload, std::uint16_t unitType) {
    // Sized once: GCC 12 at -O3 warns wrongly about inserting into a short vector.
    Bytes out(6 + payload.size());
    const std::uint16_t fields[] = {unitType, command, static_cast<std::uint16_t>(payload.size())};
    for (std::size_t k = 0; k < 3; ++k) {
        out[2 * k] = static_cast<std::uint8_t>(fields[k]);
        out[2 * k + 1] = static_cast<std::uint8_t>(fields[k] >> 8);
    }
    std::copy(payload.begin(), payload.end(), out.begin() + 6);
    return out;
}

bool RawClient::Connect(const std::string& address, std::uint16_t port) {
    Close();
    peerClosed_ = false;
    sockaddr_in a{.sin_family = AF_INET, .sin_port = htons(port), .sin_addr = {}, .sin_zero = {}};
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    error_ = ::inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1          ? EINVAL
             : ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ? errno
                                                                              : 0;
    if (error_ != 0) {
        Close();
    }
    return error_ == 0;
}

void RawClient::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = -1;
}

bool RawClient::Send(const Bytes& bytes) {
    if (::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(bytes.size())) {
        return true;
    }
    error_ = errno;
    return false;
}

Bytes RawClient::Receive(std::size_t count, int timeoutMs) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
    Bytes out;
    while (out.size() < count && fd_ >= 0) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
        pollfd p{fd_, POLLIN, 0};
        if (left <= 0) {
            break;
        }
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) {
            continue;
        }
        std::uint8_t buffer[512];
        const ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, count - out.size()), 0);
        if (n <= 0) {
            peerClosed_ = peerClosed_ || n == 0;
            error_ = n < 0 ? errno : error_;
            break;
        }
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

Bytes RawClient::Exchange(std::uint16_t command, const Bytes& payload, std::size_t replyLength) {
    return Send(Frame(command, payload)) ? Receive(6 + replyLength, 1000) : Bytes{};
}

} // namespace simtest
