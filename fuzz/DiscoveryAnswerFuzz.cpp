// The discovery's reading of a search answer: each datagram (up to the largest
// UDP payload) goes over loopback UDP into the discovery's 500-byte receive
// buffer, kept from one answer to the next as the discovery keeps it. Checked:
// nothing reads outside the buffer; the text and the "ST" value lie inside what
// arrived; an address that reads is the one the "LI" line gives.
#include "device/WizNetSearch.h"
#include "fuzz/FuzzSupport.h"
#include "platform/WinSock.h"

#include <cstring>

namespace {

using fuzz::Check;

constexpr int kAnswerBufferSize = WizNetSearch::kAnswerBufferSize;

// Sends the datagram to a UDP socket on 127.0.0.1 and receives it into `to`
// as the discovery's poll does; nothing arrives of one larger than the system sends.
int Pass(const std::uint8_t* data, std::size_t size, std::array<char, kAnswerBufferSize>& to) {
    static sockaddr_in address{};
    static const win::SOCKET loopback = [] {
        win::WSADATA wsa;
        win::WSAStartup(win::MAKEWORD(2, 2), &wsa);
        const win::SOCKET s = win::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof at;
        Check(win::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0);
        Check(win::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        const int big = 1 << 20; // room for the largest datagram
        for (int option : {SO_RCVBUF, SO_SNDBUF}) {
            win::setsockopt(s, SOL_SOCKET, option, reinterpret_cast<const char*>(&big), sizeof big);
        }
        win::u_long nonBlocking = 1;
        win::ioctlsocket(s, win::FIONBIO_, &nonBlocking);
        return s;
    }();
    if (win::sendto(loopback, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                    reinterpret_cast<const sockaddr*>(&address),
                    sizeof address) == win::SOCKET_ERROR) {
        return 0;
    }
    sockaddr_in from{};
    int fromLength = sizeof from;
    return win::recvfrom(loopback, to.data(), kAnswerBufferSize, 0,
                         reinterpret_cast<sockaddr*>(&from), &fromLength);
}

bool Inside(std::string_view part, const char* begin, std::size_t size) {
    return part.empty() || (part.data() >= begin && part.data() + part.size() <= begin + size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::array<char, kAnswerBufferSize> buffer{};
    const int length = Pass(data, size, buffer);
    const WizNetSearch::Answer answer =
        WizNetSearch::ReadAnswer(buffer.data(), buffer.size(), length);

    const std::size_t arrived = length > 0 ? static_cast<std::size_t>(length) : 0;
    Check(arrived <= buffer.size());
    Check(Inside(answer.text, buffer.data(), arrived));
    Check(std::memcmp(answer.mac.data(), buffer.data() + WizNetSearch::kMacOffset, 6) == 0);
    if (answer.state) {
        Check(Inside(*answer.state, buffer.data(), arrived));
        Check(answer.state->find('\r') == std::string_view::npos);
    }
    std::array<std::uint8_t, 4> octets{};
    if (answer.hasAddress &&
        WizNetSearch::ParseAddress(*WizNetSearch::FindLine(answer.text, "LI"), octets)) {
        Check(octets == answer.address);
    } else {
        Check(answer.address == (std::array<std::uint8_t, 4>{}));
    }
    return 0;
}
