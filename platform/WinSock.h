// Windows Sockets 2 stand-ins on POSIX sockets.
//
// The unit code was written against Winsock; these calls keep its observable
// behaviour on Linux: Windows error numbers from WSAGetLastError, a receive
// time-out reported as WSAETIMEDOUT (not "would block"), connect to 0.0.0.0
// refused, millisecond SO_RCVTIMEO values, one-byte SO_BROADCAST values, no
// SIGPIPE on a send to a closed peer, and socket calls refused until
// WSAStartup has been called.
#pragma once

#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

namespace win {

using SOCKET = std::uintptr_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using u_long = unsigned long;
using u_short = unsigned short;

inline constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
inline constexpr int SOCKET_ERROR = -1;

inline constexpr int SD_RECEIVE = 0;
inline constexpr int SD_SEND = 1;
inline constexpr int SD_BOTH = 2;

inline constexpr long FIONREAD_ = 0x4004667F; // Windows' value of FIONREAD
inline constexpr long FIONBIO_ = static_cast<long>(0x8004667EU);

// Windows error numbers used by the socket code and its failure texts.
enum : int {
    WSA_NOT_ENOUGH_MEMORY = 8,
    WSAEINTR = 10004,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEDESTADDRREQ = 10039,
    WSAEMSGSIZE = 10040,
    WSAEPROTOTYPE = 10041,
    WSAENOPROTOOPT = 10042,
    WSAEPROTONOSUPPORT = 10043,
    WSAESOCKTNOSUPPORT = 10044,
    WSAEOPNOTSUPP = 10045,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAENETRESET = 10052,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAEHOSTUNREACH = 10065,
    WSANOTINITIALISED = 10093,
};

struct WSADATA {
    WORD wVersion = 0;
    WORD wHighVersion = 0;
    char szDescription[257] = {};
    char szSystemStatus[129] = {};
};

// Windows' struct linger has 16-bit fields.
struct LINGER {
    u_short l_onoff;
    u_short l_linger;
};

constexpr WORD MAKEWORD(int low, int high) {
    return static_cast<WORD>((low & 0xFF) | ((high & 0xFF) << 8));
}

int WSAStartup(WORD version, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
// Number of WSAStartup calls not yet matched by WSACleanup (process-wide).
int WSAStartupCount();

// Maps an errno value to its Windows Sockets number; `nonBlocking` tells
// EAGAIN apart (WSAEWOULDBLOCK for a non-blocking socket, WSAETIMEDOUT when a
// blocking socket's receive time-out expired).
int WsaErrorFromErrno(int err, bool nonBlocking);

SOCKET socket(int af, int type, int protocol);
int closesocket(SOCKET s);
int connect(SOCKET s, const sockaddr* name, int namelen);
int bind(SOCKET s, const sockaddr* name, int namelen);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen);
int send(SOCKET s, const char* buf, int len, int flags);
int recv(SOCKET s, char* buf, int len, int flags);
int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int tolen);
int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromlen);
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int getsockname(SOCKET s, sockaddr* name, int* namelen);
int shutdown(SOCKET s, int how);
int ioctlsocket(SOCKET s, long cmd, u_long* argp);
// Dotted-quad parser; INADDR_NONE (network order) for a text it cannot read.
std::uint32_t inet_addr(const char* text);
// Presentation-to-network conversion (InetPton): 1 on success, 0 for a bad text.
int inet_pton(int af, const char* text, void* out);

// Waits up to `timeoutMs` for the socket to become readable (or writable when
// `forWrite`): 1 ready, 0 timed out, SOCKET_ERROR on failure. Used to bound
// waits the Windows code left to the system.
int WaitReady(SOCKET s, int timeoutMs, bool forWrite = false);

} // namespace win
