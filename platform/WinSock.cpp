#include "WinSock.h"

#include "platform/Clock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <unistd.h>

namespace win {

namespace {

std::atomic<int> startupCount{0};
thread_local int lastError = 0;

int Fd(SOCKET s) {
    return static_cast<int>(s);
}

bool IsNonBlocking(SOCKET s) {
    int flags = ::fcntl(Fd(s), F_GETFL);
    return flags != -1 && (flags & O_NONBLOCK) != 0;
}

// Records the errno of a failed call as a Windows error and returns SOCKET_ERROR.
int Fail(SOCKET s, int err) {
    lastError = WsaErrorFromErrno(err, s != INVALID_SOCKET && IsNonBlocking(s));
    return SOCKET_ERROR;
}

int FailWith(int wsaError) {
    lastError = wsaError;
    return SOCKET_ERROR;
}

bool Started() {
    return startupCount.load() > 0;
}

} // namespace

int WSAStartup(WORD version, WSADATA* data) {
    if (data == nullptr) {
        return WSAEFAULT;
    }
    data->wVersion = version;
    data->wHighVersion = MAKEWORD(2, 2);
    std::snprintf(data->szDescription, sizeof data->szDescription, "WinSock 2.0");
    std::snprintf(data->szSystemStatus, sizeof data->szSystemStatus, "Running");
    ++startupCount;
    return 0;
}

int WSACleanup() {
    int current = startupCount.load();
    while (current > 0 && !startupCount.compare_exchange_weak(current, current - 1)) {
    }
    if (current <= 0) {
        return FailWith(WSANOTINITIALISED);
    }
    return 0;
}

int WSAGetLastError() {
    return lastError;
}
void WSASetLastError(int error) {
    lastError = error;
}
int WSAStartupCount() {
    return startupCount.load();
}

int WsaErrorFromErrno(int err, bool nonBlocking) {
    switch (err) {
    case EAGAIN:
        return nonBlocking ? WSAEWOULDBLOCK : WSAETIMEDOUT;
    case EINPROGRESS:
        return nonBlocking ? WSAEWOULDBLOCK : WSAEINPROGRESS;
    case EINTR:
        return WSAEINTR;
    case EACCES:
        return WSAEACCES;
    case EFAULT:
        return WSAEFAULT;
    case EINVAL:
        return WSAEINVAL;
    case EMFILE:
    case ENFILE:
        return WSAEMFILE;
    case EALREADY:
        return WSAEALREADY;
    case EBADF:
    case ENOTSOCK:
        return WSAENOTSOCK;
    case EDESTADDRREQ:
        return WSAEDESTADDRREQ;
    case EMSGSIZE:
        return WSAEMSGSIZE;
    case EPROTOTYPE:
        return WSAEPROTOTYPE;
    case ENOPROTOOPT:
        return WSAENOPROTOOPT;
    case EPROTONOSUPPORT:
        return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT:
        return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP:
        return WSAEOPNOTSUPP;
    case EAFNOSUPPORT:
        return WSAEAFNOSUPPORT;
    case EADDRINUSE:
        return WSAEADDRINUSE;
    case EADDRNOTAVAIL:
        return WSAEADDRNOTAVAIL;
    case ENETDOWN:
        return WSAENETDOWN;
    case ENETUNREACH:
        return WSAENETUNREACH;
    case ENETRESET:
        return WSAENETRESET;
    case ECONNABORTED:
        return WSAECONNABORTED;
    case ECONNRESET:
    case EPIPE:
        return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM:
        return WSAENOBUFS;
    case EISCONN:
        return WSAEISCONN;
    case ENOTCONN:
        return WSAENOTCONN;
    case ESHUTDOWN:
        return WSAESHUTDOWN;
    case ETIMEDOUT:
        return WSAETIMEDOUT;
    case ECONNREFUSED:
        return WSAECONNREFUSED;
    case EHOSTUNREACH:
        return WSAEHOSTUNREACH;
    default:
        return err; // no Windows counterpart: callers print it as an unknown code
    }
}

SOCKET socket(int af, int type, int protocol) {
    if (!Started()) {
        FailWith(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    int fd = ::socket(af, type | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        Fail(INVALID_SOCKET, errno);
        return INVALID_SOCKET;
    }
    return static_cast<SOCKET>(fd);
}

int closesocket(SOCKET s) {
    if (s == INVALID_SOCKET) {
        return FailWith(WSAENOTSOCK);
    }
    return ::close(Fd(s)) == 0 ? 0 : Fail(INVALID_SOCKET, errno);
}

int connect(SOCKET s, const sockaddr* name, int namelen) {
    if (!Started()) {
        return FailWith(WSANOTINITIALISED);
    }
    // Windows refuses the unspecified address; Linux would quietly connect to this host.
    if (name != nullptr && name->sa_family == AF_INET &&
        namelen >= static_cast<int>(sizeof(sockaddr_in)) &&
        reinterpret_cast<const sockaddr_in*>(name)->sin_addr.s_addr == htonl(INADDR_ANY)) {
        return FailWith(WSAEADDRNOTAVAIL);
    }
    for (;;) {
        if (::connect(Fd(s), name, static_cast<socklen_t>(namelen)) == 0) {
            return 0;
        }
        const int err = errno; // before the flags are read, which may set errno
        if (err != EINTR || IsNonBlocking(s)) {
            return Fail(s, err);
        }
    }
}

int bind(SOCKET s, const sockaddr* name, int namelen) {
    return ::bind(Fd(s), name, static_cast<socklen_t>(namelen)) == 0 ? 0 : Fail(s, errno);
}

int listen(SOCKET s, int backlog) {
    return ::listen(Fd(s), backlog) == 0 ? 0 : Fail(s, errno);
}

SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen) {
    socklen_t len = addrlen != nullptr ? static_cast<socklen_t>(*addrlen) : 0;
    int fd = ::accept4(Fd(s), addr, addrlen != nullptr ? &len : nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        Fail(s, errno);
        return INVALID_SOCKET;
    }
    if (addrlen != nullptr) {
        *addrlen = static_cast<int>(len);
    }
    return static_cast<SOCKET>(fd);
}

int send(SOCKET s, const char* buf, int len, int flags) {
    if (len < 0) {
        return FailWith(WSAEINVAL);
    }
    ssize_t n = ::send(Fd(s), buf, static_cast<size_t>(len), flags | MSG_NOSIGNAL);
    return n >= 0 ? static_cast<int>(n) : Fail(s, errno);
}

int recv(SOCKET s, char* buf, int len, int flags) {
    if (len < 0) {
        return FailWith(WSAEINVAL);
    }
    ssize_t n = ::recv(Fd(s), buf, static_cast<size_t>(len), flags);
    if (n < 0) {
        const int err = errno; // before the flags are read, which may set errno
        bool nonBlocking = (flags & MSG_DONTWAIT) != 0 || IsNonBlocking(s);
        lastError = WsaErrorFromErrno(err, nonBlocking);
        return SOCKET_ERROR;
    }
    return static_cast<int>(n);
}

int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen) {
    if (len < 0) {
        return FailWith(WSAEINVAL);
    }
    ssize_t n = ::sendto(Fd(s), buf, static_cast<size_t>(len), flags | MSG_NOSIGNAL, to,
                         static_cast<socklen_t>(tolen));
    return n >= 0 ? static_cast<int>(n) : Fail(s, errno);
}

int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen) {
    if (len < 0) {
        return FailWith(WSAEINVAL);
    }
    socklen_t flen = fromlen != nullptr ? static_cast<socklen_t>(*fromlen) : 0;
    ssize_t n = ::recvfrom(Fd(s), buf, static_cast<size_t>(len), flags, from,
                           fromlen != nullptr ? &flen : nullptr);
    if (n < 0) {
        return Fail(s, errno);
    }
    if (fromlen != nullptr) {
        *fromlen = static_cast<int>(flen);
    }
    return static_cast<int>(n);
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
    if (optval == nullptr || optlen <= 0) {
        return FailWith(WSAEFAULT);
    }
    int rc = -1;
    if (level == SOL_SOCKET && (optname == SO_RCVTIMEO || optname == SO_SNDTIMEO)) {
        // Windows passes a DWORD of milliseconds.
        DWORD ms = 0;
        std::memcpy(&ms, optval, std::min<size_t>(sizeof ms, static_cast<size_t>(optlen)));
        timeval tv{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
        rc = ::setsockopt(Fd(s), level, optname, &tv, sizeof tv);
    } else if (level == SOL_SOCKET && optname == SO_LINGER) {
        if (optlen < static_cast<int>(sizeof(LINGER))) {
            return FailWith(WSAEFAULT);
        }
        LINGER wl{};
        std::memcpy(&wl, optval, sizeof wl);
        linger ll{wl.l_onoff, wl.l_linger};
        rc = ::setsockopt(Fd(s), level, optname, &ll, sizeof ll);
    } else if (optlen < static_cast<int>(sizeof(int))) {
        // Windows accepts a one-byte boolean option value (SO_BROADCAST "1").
        int value = 0;
        std::memcpy(&value, optval, static_cast<size_t>(optlen));
        rc = ::setsockopt(Fd(s), level, optname, &value, sizeof value);
    } else {
        rc = ::setsockopt(Fd(s), level, optname, optval, static_cast<socklen_t>(optlen));
    }
    return rc == 0 ? 0 : Fail(s, errno);
}

int getsockname(SOCKET s, sockaddr* name, int* namelen) {
    if (namelen == nullptr) {
        return FailWith(WSAEFAULT);
    }
    socklen_t len = static_cast<socklen_t>(*namelen);
    if (::getsockname(Fd(s), name, &len) != 0) {
        return Fail(s, errno);
    }
    *namelen = static_cast<int>(len);
    return 0;
}

int shutdown(SOCKET s, int how) {
    return ::shutdown(Fd(s), how) == 0 ? 0 : Fail(s, errno);
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp) {
    if (argp == nullptr) {
        return FailWith(WSAEFAULT);
    }
    if (cmd == FIONREAD_) {
        int pending = 0;
        if (::ioctl(Fd(s), FIONREAD, &pending) != 0) {
            return Fail(s, errno);
        }
        *argp = static_cast<u_long>(pending);
        return 0;
    }
    if (cmd == FIONBIO_) {
        int flags = ::fcntl(Fd(s), F_GETFL);
        if (flags == -1) {
            return Fail(s, errno);
        }
        flags = *argp != 0 ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
        return ::fcntl(Fd(s), F_SETFL, flags) == 0 ? 0 : Fail(s, errno);
    }
    return FailWith(WSAEINVAL);
}

std::uint32_t inet_addr(const char* text) {
    return text != nullptr ? ::inet_addr(text) : INADDR_NONE;
}

int inet_pton(int af, const char* text, void* out) {
    if (text == nullptr || out == nullptr) {
        return FailWith(WSAEFAULT);
    }
    int rc = ::inet_pton(af, text, out);
    return rc < 0 ? Fail(INVALID_SOCKET, errno) : rc;
}

int WaitReady(SOCKET s, int timeoutMs, bool forWrite) {
    pollfd p{Fd(s), static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    const std::int64_t deadline = ProcessClock() + std::max(timeoutMs, 0);
    for (;;) {
        const int left = static_cast<int>(std::max<std::int64_t>(deadline - ProcessClock(), 0));
        const int rc = ::poll(&p, 1, left);
        if (rc >= 0) {
            return rc > 0 ? 1 : 0;
        }
        if (errno != EINTR) { // a signal does not end the wait
            return Fail(s, errno);
        }
    }
}

} // namespace win
