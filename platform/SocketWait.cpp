#include "platform/SocketWait.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>

namespace win {

int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen) {
    if (optval == nullptr || optlen == nullptr || *optlen <= 0) {
        WSASetLastError(WSAEFAULT);
        return SOCKET_ERROR;
    }
    const int fd = static_cast<int>(s);
    const int flags = ::fcntl(fd, F_GETFL);
    const bool nonBlocking = flags != -1 && (flags & O_NONBLOCK) != 0;
    if (level == SOL_SOCKET && optname == SO_ERROR) {
        if (*optlen < static_cast<int>(sizeof(int))) {
            WSASetLastError(WSAEFAULT);
            return SOCKET_ERROR;
        }
        int pending = 0;
        socklen_t len = sizeof pending;
        if (::getsockopt(fd, level, optname, &pending, &len) != 0) {
            WSASetLastError(WsaErrorFromErrno(errno, nonBlocking));
            return SOCKET_ERROR;
        }
        // The pending error of a connect: a refused connect reads 10061, not 111.
        int code = pending == 0 ? 0 : WsaErrorFromErrno(pending, false);
        std::memcpy(optval, &code, sizeof code);
        *optlen = sizeof code;
        return 0;
    }
    socklen_t len = static_cast<socklen_t>(*optlen);
    if (::getsockopt(fd, level, optname, optval, &len) != 0) {
        WSASetLastError(WsaErrorFromErrno(errno, nonBlocking));
        return SOCKET_ERROR;
    }
    *optlen = static_cast<int>(len);
    return 0;
}

int ConnectWithin(SOCKET s, const sockaddr_in& address, int timeoutMs) {
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO_, &nonBlocking) == SOCKET_ERROR) {
        return SOCKET_ERROR;
    }
    int error = 0;
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
        error = WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            const int ready = WaitReady(s, timeoutMs, true);
            if (ready == 1) {
                int length = sizeof error;
                if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) ==
                    SOCKET_ERROR) {
                    error = WSAGetLastError();
                }
            } else {
                error = ready == 0 ? WSAETIMEDOUT : WSAGetLastError();
            }
        }
    }
    u_long blocking = 0;
    if (error == 0 && ioctlsocket(s, FIONBIO_, &blocking) == SOCKET_ERROR) {
        error = WSAGetLastError();
    }
    if (error != 0) {
        WSASetLastError(error);
        return SOCKET_ERROR;
    }
    return 0;
}

} // namespace win
