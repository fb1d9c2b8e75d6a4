#include "device/TCPCom.h"

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/SocketWait.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <utility>

namespace {

struct CodeText {
    int code;
    const char* text;
};

// Descriptions of the failure texts, each with its line end as the unit code writes it.
constexpr CodeText kDescriptions[] = {
    {8, "WSA_NOT_ENOUGH_MEMORY: A memory allocation failure occurred.\r\n"},
    {10014, "WSAEFAULT: The nSockAddrLen argument is incorrect.\r\n"},
    {10022, "WSAEINVAL: nHow is not valid.\r\n"},
    {10024, "WSAEMFILE: No more file descriptors are available.\r\n"},
    {10035, "WSAEWOULDBLOCK: The socket is marked as nonblocking and the Receive operation would "
            "block.\r\n"},
    {10036, "WSAEINPROGRESS: A blocking Windows Sockets operation is in progress.\r\n"},
    {10038, "WSAENOTSOCK: The descriptor is not a socket.\r\n"},
    {10039, "WSAEDESTADDRREQ: A destination address is required.\r\n"},
    {10040, "WSAEMSGSIZE: The datagram was too large to fit into the specified buffer and was "
            "truncated.\r\n"},
    {10041, "WSAEPROTOTYPE: The specified port is the wrong type for this socket.\r\n"},
    {10042, "WSAENOPROTOOPT: The option is unknown or unsupported. In particular, SO_BROADCAST is "
            "not supported on sockets of type SOCK_STREAM, while SO_DONTLINGER, SO_KEEPALIVE, "
            "SO_LINGER, and SO_OOBINLINE are not supported on sockets of type SOCK_DGRAM.\r\n"},
    {10043, "WSAEPROTONOSUPPORT: The specified port is not supported.\r\n"},
    {10044,
     "WSAESOCKTNOSUPPORT: The specified socket type is not supported in this address family.\r\n"},
    {10045, "WSAEOPNOTSUPP: MSG_OOB was specified, but the socket is not of type SOCK_STREAM or "
            "the referenced socket is not of a type that supports the Listen operation.\r\n"},
    {10047,
     "WSAEAFNOSUPPORT: Addresses in the specified family cannot be used with this socket.\r\n"},
    {10048, "WSAEADDRINUSE: The specified address is already in use.\r\n"},
    {10049, "WSAEADDRNOTAVAIL: The specified address is not available from the local machine.\r\n"},
    {10050, "WSAENETDOWN: The Windows Sockets implementation detected that the network subsystem "
            "failed.\r\n"},
    {10051, "WSAENETUNREACH: The network cannot be reached from this host at this time.\r\n"},
    {10052, "WSAENETRESET: Connection has timed out when SO_KEEPALIVE is set."},
    {10053,
     "WSAECONNABORTED: The virtual circuit was aborted due to timeout or other failure.\r\n"},
    {10054, "WSAECONNRESET: The virtual circuit was reset by the remote side.\r\n"},
    {10055, "WSAENOBUFS: No buffer space is available. The socket cannot be connected.\r\n"},
    {10056, "WSAEISCONN: The socket is already connected.\r\n"},
    {10057, "WSAENOTCONN: The socket is not connected.\r\n"},
    {10058, "WSAESHUTDOWN: The socket has been shut down; it is not possible to call Receive on a "
            "socket after ShutDown has been invoked with nHow set to 0 or 2.\r\n"},
    {10060, "WSAETIMEDOUT: Attempt to connect timed out without establishing a connection.\r\n"},
    {10061, "WSAECONNREFUSED: The attempt to connect was rejected.\r\n"},
    {10093, "WSANOTINITIALISED: A successful AfxSocketInit must occur before using this API.\r\n"},
    {10109, "WSATYPE_NOT_FOUND: The pServiceName parameter is not supported for the specified "
            "ai_socktype member of the pHints parameter.\r\n"},
    {11001, "WSAHOST_NOT_FOUND: The name does not resolve for the supplied parameters or the "
            "pNodeName and pServiceName parameters were not provided.\r\n"},
    {11002, "WSATRY_AGAIN: A temporary failure in name resolution occurred.\r\n"},
    {11003, "WSANO_RECOVERY: A nonrecoverable failure in name resolution occurred.\r\n"},
};

} // namespace

const char* TCPCom::ErrorDescription(int code) {
    for (const auto& entry : kDescriptions) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return nullptr;
}

std::string TCPCom::FailureText(const char* operation, int code) {
    std::string text;
    if (const char* description = ErrorDescription(code)) {
        text = "*****\r\n***** ";
        text += operation;
        text += " failed.\r\n";
        text += description;
    } else {
        char number[32];
        std::snprintf(number, sizeof number, "%u", static_cast<unsigned>(code));
        text = "Unknown value returned from ";
        text += operation;
        text += ".\r\nGetLastError=";
        text += number;
        text += ".\r\n";
    }
    text += "*****\r\n";
    return text;
}

void TCPCom::ComposeFailure(const char* operation, int code) {
    SetField(lastErrorText_, FailureText(operation, code));
}

TCPCom::TCPCom(const char* address, int connectTimeoutMs) {
    SetField(remoteAddress_, address != nullptr ? address : "");
    remotePort_ = kCommandPort;
    receiveTimeout_ = kReceiveTimeoutMs;

    if (win::WSAStartup(win::MAKEWORD(2, 2), &wsaData_) != 0) {
        return;
    }
    libraryStarted_ = true;
    socket_ = win::socket(AF_INET, SOCK_STREAM, 0);
    if (socket_ == win::INVALID_SOCKET) {
        return;
    }

    remoteSockAddr_.sin_family = AF_INET;
    remoteSockAddr_.sin_port = htons(remotePort_);
    remoteSockAddr_.sin_addr.s_addr = win::inet_addr(remoteAddress_.data());
    if (win::ConnectWithin(socket_, remoteSockAddr_, connectTimeoutMs) == win::SOCKET_ERROR) {
        connectError_ = win::WSAGetLastError();
        ComposeFailure("connect()", connectError_);
        connected_ = 0;
        return;
    }
    // From here on the connection stands even if an option cannot be set.
    connected_ = 1;

    win::LINGER lingerOff{0, 0};
    if (win::setsockopt(socket_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lingerOff),
                        sizeof lingerOff) == win::SOCKET_ERROR) {
        ComposeFailure("::setsockopt()", win::WSAGetLastError());
        return;
    }
    if (win::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO,
                        reinterpret_cast<const char*>(&receiveTimeout_),
                        sizeof receiveTimeout_) == win::SOCKET_ERROR) {
        ComposeFailure("::setsockopt()", win::WSAGetLastError());
        return;
    }
    sockaddr_in local{};
    int localLen = sizeof local;
    if (win::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &localLen) ==
        win::SOCKET_ERROR) {
        ComposeFailure("::getsockname()", win::WSAGetLastError());
        return;
    }
    const auto* port = reinterpret_cast<const std::uint8_t*>(&local.sin_port);
    localPort_ = static_cast<std::uint16_t>((port[0] << 8) | port[1]);
    const auto* octet = reinterpret_cast<const std::uint8_t*>(&local.sin_addr.s_addr);
    if (octet[0] == 0 && octet[1] == 0 && octet[2] == 0 && octet[3] == 0) {
        SetField(localAddress_, "localhost");
    } else {
        char text[32];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", octet[0], octet[1], octet[2], octet[3]);
        SetField(localAddress_, text);
    }

    char trace[TSocket::kTextField + 80];
    std::snprintf(trace, sizeof trace, "***** TCPCom() ctor Local IP Addr and Port Num: %s:%u.\r\n",
                  localAddress_.data(), static_cast<unsigned>(localPort_));
    win::OutputDebugStringA(trace);
    connected_ = 1;
}

TCPCom::~TCPCom() {
    FinishClose(win::ProcessClock() + kCloseBudgetMs);
    if (libraryStarted_) {
        win::WSACleanup();
    }
}

void TCPCom::BeginClose() {
    if (closing_ || socket_ == win::INVALID_SOCKET) {
        return;
    }
    closing_ = true;
    if (win::shutdown(socket_, win::SD_SEND) == win::SOCKET_ERROR) {
        shutdownFailed_ = true;
        win::StandardOutput("shutdown failed with error: %d\n", win::WSAGetLastError());
    }
}

void TCPCom::FinishClose(std::int64_t deadlineMs) {
    if (socket_ == win::INVALID_SOCKET) {
        return;
    }
    BeginClose();
    if (!shutdownFailed_) {
        if (bufferedEnd_ > bufferedFirst_) {
            win::StandardOutput("Bytes received: %d\n", bufferedEnd_ - bufferedFirst_);
        }
        for (;;) {
            // An end the unit already sent is still taken once the time is up.
            const std::int64_t left = std::clamp<std::int64_t>(
                deadlineMs - win::ProcessClock(), 0, static_cast<std::int64_t>(receiveTimeout_));
            const int ready = win::WaitReady(socket_, static_cast<int>(left));
            const int n = ready == 1
                              ? win::recv(socket_, reinterpret_cast<char*>(receiveBuffer_.data()),
                                          kReceiveBufferSize, 0)
                              : win::SOCKET_ERROR;
            // Waiting out the time reads as the receive time-out would.
            int error = ready == 0 ? win::WSAETIMEDOUT : win::WSAGetLastError();
            if (n > 0) {
                win::StandardOutput("Bytes received: %d\n", n);
                if (win::ProcessClock() < deadlineMs) {
                    continue;
                }
                error = win::WSAETIMEDOUT;
            }
            if (n == 0) {
                win::StandardOutput("Connection closed\n");
            } else {
                win::StandardOutput("recv failed with error: %d\n", error);
            }
            break;
        }
    }
    bufferedFirst_ = bufferedEnd_ = 0;
    win::closesocket(socket_);
    socket_ = win::INVALID_SOCKET;
    connected_ = 0;
}

int TCPCom::FlushInput() {
    bufferedFirst_ = bufferedEnd_ = 0;
    win::u_long pending = 0;
    if (win::ioctlsocket(socket_, win::FIONREAD_, &pending) == win::SOCKET_ERROR) {
        return 0;
    }
    std::array<char, 1024> discard;
    long count = static_cast<long>(pending);
    while (count > 0) {
        int ask = static_cast<int>(std::min<long>(count, static_cast<long>(discard.size())));
        win::recv(socket_, discard.data(), ask, 0);
        count -= ask;
    }
    return 0;
}

int TCPCom::Send(const std::uint8_t* buf, int len) {
    if (win::send(socket_, reinterpret_cast<const char*>(buf), len, 0) == win::SOCKET_ERROR) {
        connected_ = 0;
        return 0;
    }
    return 1;
}

int TCPCom::ReceiveByte(std::uint8_t* out) {
    if (bufferedFirst_ < bufferedEnd_) {
        *out = receiveBuffer_[static_cast<std::size_t>(bufferedFirst_++)];
        return 1;
    }
    bufferedFirst_ = bufferedEnd_ = 0;
    if (breakFd_ >= 0) {
        const int ready = WaitForData();
        if (ready < 0) {
            brokenOff_ = true;
            connected_ = 0;
            return 0;
        }
        if (ready == 0) {
            win::Sleep(1); // as after the receive time-out of a blocking receive
            return 0;
        }
    }
    int n =
        win::recv(socket_, reinterpret_cast<char*>(receiveBuffer_.data()), kReceiveBufferSize, 0);
    if (n == 0) {
        // The unit closed its side: no byte will ever come. Counting this as a
        // received byte would let a unit that hung up "answer" with zeros.
        connected_ = 0;
        return 0;
    }
    if (n == win::SOCKET_ERROR) {
        const int error = win::WSAGetLastError();
        if (error == win::WSAEWOULDBLOCK || ConnectionGone(error)) {
            connected_ = 0;
            return 0;
        }
        win::Sleep(1);
        return 0;
    }
    *out = receiveBuffer_[0];
    bufferedFirst_ = 1;
    bufferedEnd_ = n;
    return 1;
}

int TCPCom::WaitForData() {
    pollfd fds[2] = {{breakFd_, POLLIN, 0}, {static_cast<int>(socket_), POLLIN, 0}};
    const std::int64_t deadline = win::ProcessClock() + receiveTimeout_;
    for (;;) {
        const auto left = std::max<std::int64_t>(deadline - win::ProcessClock(), 0);
        const int rc = ::poll(fds, 2, static_cast<int>(left));
        if (rc < 0 && errno == EINTR) {
            continue;
        }
        if (rc > 0 && fds[0].revents != 0) {
            return -1;
        }
        // A failed poll is left to the receive, which reports it.
        return rc == 0 ? 0 : 1;
    }
}

bool TCPCom::ConnectionGone(int error) {
    return error == win::WSAECONNRESET || error == win::WSAECONNABORTED ||
           error == win::WSAENETRESET || error == win::WSAENOTCONN || error == win::WSAESHUTDOWN;
}

int TCPCom::ReceiveChunk() {
    if (bufferedFirst_ < bufferedEnd_) {
        const int count = bufferedEnd_ - bufferedFirst_;
        std::memmove(receiveBuffer_.data(), receiveBuffer_.data() + bufferedFirst_,
                     static_cast<std::size_t>(count));
        bufferedFirst_ = bufferedEnd_ = 0;
        return count;
    }
    return win::recv(socket_, reinterpret_cast<char*>(receiveBuffer_.data()), kReceiveBufferSize,
                     0);
}
