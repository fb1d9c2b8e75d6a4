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

} // namespace win
