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

} // namespace win
