// Socket option read-back of Windows Sockets, for connects bounded in time.
//
// A bounded connect is a non-blocking connect, a WaitReady for writing and a
// look at SO_ERROR; Windows reports that pending error as a Windows Sockets
// number, so this stand-in does the same.
#pragma once

#include "platform/WinSock.h"

namespace win {

// getsockopt as Windows has it: SO_ERROR comes back as a Windows error number
// (0 when the socket has no pending error). 0 on success, SOCKET_ERROR on failure.
int getsockopt(SOCKET s, int level, int optname, char* optval, int* optlen);

// Connects within `timeoutMs`: a non-blocking connect and a wait for it to
// complete, then the socket is blocking again. 0, or SOCKET_ERROR with the
// Windows error as connect would report it (WSAETIMEDOUT when the time ran
// out, as a connect that reached the system's own time-out).
int ConnectWithin(SOCKET s, const sockaddr_in& address, int timeoutMs);

} // namespace win
