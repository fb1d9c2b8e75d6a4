#include "device/DiscoverWizNET_Devices.h"

#include "device/DiscoveryList.h"
#include "device/NetworkProgress.h"
#include "device/UnitProtocol.h"
#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/SocketWait.h"
#include "platform/WinSock.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr const char* kStars = "*****************************************************";
constexpr int kPauseAfterSearchMs = 100;
constexpr int kAnswerBufferSize = WizNetSearch::kAnswerBufferSize;
// Each TCP wait (the connect, each reply) takes what is left of the window,
// but never more than a unit's 1000 ms reply budget, so one module that
// accepts and never answers cannot use up the window of all the others, and
// never less than the 100 ms a unit always had to answer, so a module that
// answers at the very end of the window still gets its exchange.
constexpr int kShortestWaitMs = 100;
constexpr int kLongestWaitMs = 1000;
// Progress is reported this often while the window runs.
constexpr int kProgressStepMs = 50;
// An empty poll waits this long for the next datagram, which is handled the
// moment it arrives, instead of spinning at full load.
constexpr int kIdlePollMs = 1;

struct CodeText {
    int code;
    const char* text;
};

// What a failed receive of the type reply traces.
constexpr CodeText kReceiveFailures[] = {
    {10004, "The (blocking) call was canceled through WSACancelBlockingCall."},
    {10014, "The buf parameter is not completely contained in a valid part of the user address "
            "space."},
    {10022, "The socket has not been bound with bind, or an unknown flag was specified, or MSG_OOB "
            "was specified for a socket with SO_OOBINLINE enabled or (for byte stream sockets "
            "only) len was zero or negative."},
    {10035, "The socket is marked as nonblocking and the receive operation would block."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still "
            "processing a callback function."},
    {10038, "The descriptor is not a socket."},
    {10040, "The message was too large to fit into the specified buffer and was truncated."},
    {10045, "MSG_OOB was specified, but the socket is not stream-style such as type SOCK_STREAM, "
            "OOB data is not supported in the communication domain associated with this socket, "
            "or the socket is unidirectional and supports only send operations."},
    {10050, "The network subsystem has failed."},
    {10052, "For a connection-oriented socket, this error indicates that the connection has been "
            "broken due to keep-alive activity that detected a failure while the operation was in "
            "progress. For a datagram socket, this error indicates that the time to live has "
            "expired."},
    {10053, "The virtual circuit was terminated due to a time-out or other failure. The "
            "application should close the socket as it is no longer usable."},
    {10054, "The virtual circuit was reset by the remote side executing a hard or abortive close. "
            "The application should close the socket as it is no longer usable. On a UDP-datagram "
            "socket, this error would indicate that a previous send operation resulted in an ICMP "
            "\"Port Unreachable\" message."},
    {10057, "The socket is not connected."},
    {10058, "The socket has been shut down; it is not possible to receive on a socket after "
            "shutdown has been invoked with how set to SD_RECEIVE or SD_BOTH."},
    {10060, "The connection has been dropped because of a network failure or because the peer "
            "system failed to respond."},
    {10093, "A successful WSAStartup call must occur before using this function."},
};

void Trace(const char* text) {
    win::OutputDebugStringA(text);
}

__attribute__((format(printf, 1, 2))) void TraceFormat(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    Trace(line);
}

void TraceLine(std::string_view text) {
    std::string line(text.substr(0, text.find('\0')));
    line += "\r\n";
    Trace(line.c_str());
}

// Closes its socket once, when it goes.
class OwnedSocket {
public:
    explicit OwnedSocket(win::SOCKET s) : socket_(s) {}
    ~OwnedSocket() {
        if (socket_ != win::INVALID_SOCKET) {
            win::closesocket(socket_);
        }
    }
    OwnedSocket(const OwnedSocket&) = delete;
    OwnedSocket& operator=(const OwnedSocket&) = delete;

    bool Valid() const { return socket_ != win::INVALID_SOCKET; }
    win::SOCKET Get() const { return socket_; }

private:
    win::SOCKET socket_;
};

class Window {
public:
    Window(std::int64_t start, int lengthMs) : start_(start), lengthMs_(lengthMs) {}
    int Elapsed() const { return static_cast<int>(win::ProcessClock() - start_); }
    bool Over() const { return Elapsed() >= lengthMs_; }
    // The bound of one TCP wait starting now.
    int WaitBound() const {
        return std::clamp(lengthMs_ - Elapsed(), kShortestWaitMs, kLongestWaitMs);
    }

private:
    std::int64_t start_;
    int lengthMs_;
};

// Collects up to `count` bytes until all have arrived, the peer closed, or
// `timeoutMs` ran out, so a reply split over several TCP segments is read
// whole. The number of bytes collected; SOCKET_ERROR when the receive failed
// before any byte came.
int ReceiveWithin(win::SOCKET s, std::uint8_t* buffer, int count, int timeoutMs) {
    const std::int64_t deadline = win::ProcessClock() + timeoutMs;
    int received = 0;
    while (received < count) {
        int left = static_cast<int>(std::max<std::int64_t>(deadline - win::ProcessClock(), 0));
        int ready = win::WaitReady(s, left);
        if (ready == 0) {
            break;
        }
        int n = ready == 1
                    ? win::recv(s, reinterpret_cast<char*>(buffer + received), count - received, 0)
                    : win::SOCKET_ERROR;
        if (n == win::SOCKET_ERROR) {
            if (received == 0) {
                return win::SOCKET_ERROR;
            }
            break;
        }
        if (n == 0) {
            break; // the module closed the connection
        }
        received += n;
    }
    return received;
}

// Sends the whole request; false, traced, when the count sent falls short.
template <std::size_t N>
bool SendRequest(win::SOCKET s, const std::array<std::uint8_t, N>& request) {
    int sent = win::send(s, reinterpret_cast<const char*>(request.data()), static_cast<int>(N), 0);
    if (sent != static_cast<int>(N)) {
        TraceFormat("Characters sent should have been %d: %ld.\r\n", static_cast<int>(N),
                    static_cast<long>(sent));
        return false;
    }
    return true;
}

// Collects the whole reply; false, traced with `shortTrace` and the count,
// when fewer bytes came.
template <std::size_t N>
bool ReceiveReply(win::SOCKET s, const Window& window, std::array<std::uint8_t, N>& reply,
                  const char* shortTrace) {
    int received = ReceiveWithin(s, reply.data(), static_cast<int>(N), window.WaitBound());
    if (received != static_cast<int>(N)) {
        TraceFormat(shortTrace, static_cast<long>(received));
        return false;
    }
    return true;
}

std::string DottedText(const std::array<std::uint8_t, 4>& octets) {
    char text[DiscoveredUnit::kAddressTextMax + 1];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

void SetName(DiscoveredUnit& unit) {
    const char* name = "Unknown TM80 Device";
    if (unit.modelCode[0] == '8' && unit.modelCode[1] == '0') {
        if (unit.modelCode[2] == 'M' && unit.modelCode[3] == '1') {
            name = "TM80M Multicoupler";
        } else if (unit.modelCode[2] == 'C' && unit.modelCode[3] == '2') {
            name = "TM80C2 Multicoupler";
        }
    }
    unit.name.fill('\0');
    std::snprintf(unit.name.data(), unit.name.size(), "%s", name);
}

enum class Next {
    PollAgain, // straight back to the poll
    Finished,  // done with this module: the window is looked at before polling again
};

// Type query, identity and user note over the module's open connection.
Next IdentifyUnit(win::SOCKET tcp, const Window& window, DiscoveredUnit& unit) {
    Trace("Now reading WizNET Device ID.\r");
    unit.reachable = 1;
    if (!SendRequest(tcp, unitprotocol::kTypeQuery)) {
        return Next::PollAgain;
    }
    std::array<std::uint8_t, unitprotocol::kHeaderSize> typeReply{};
    int received = ReceiveWithin(tcp, typeReply.data(), static_cast<int>(typeReply.size()),
                                 window.WaitBound());
    if (received == win::SOCKET_ERROR) {
        int code = win::WSAGetLastError();
        const auto* entry = std::find_if(std::begin(kReceiveFailures), std::end(kReceiveFailures),
                                         [code](const CodeText& e) { return e.code == code; });
        if (entry != std::end(kReceiveFailures)) {
            TraceLine(entry->text);
        } else {
            TraceLine(DottedText(unit.ipAddress));
        }
        return Next::PollAgain;
    }
    if (received != static_cast<int>(typeReply.size())) {
        return Next::PollAgain;
    }
    if (std::any_of(typeReply.begin() + 1, typeReply.end(),
                    [](std::uint8_t b) { return b != 0; })) {
        Trace("Data returned from TCP connection was not valid.\r\n");
        return Next::Finished;
    }
    unit.unitType = typeReply[0];
    TraceFormat("Found a 0x%2.2X device.\r\n", unit.unitType);
    if (unit.unitType != unitprotocol::kUnitType) {
        Trace("Unknown Device ID.\r\n");
        return Next::Finished;
    }

    Trace("Discovered TM80M1 or TM80C2.\r");
    Trace("Now reading Identity Values of TM80.\r");
    unitprotocol::ReplyFrame<unitprotocol::kReadIdentity> identity{};
    if (!SendRequest(tcp, unitprotocol::Request<unitprotocol::kReadIdentity>()) ||
        !ReceiveReply(tcp, window, identity,
                      "Characters received for 0x2001 command should have been 26: %ld.\r\n")) {
        return Next::PollAgain;
    }
    const auto fields =
        unitprotocol::ReadIdentityPayload(identity.data() + unitprotocol::kHeaderSize);
    unit.modelCode = fields.modelCode;
    unit.serialHigh = fields.serialHigh;
    unit.serialLow = fields.serialLow;
    unit.serialText.fill('\0');
    std::snprintf(unit.serialText.data(), unit.serialText.size(), "%s",
                  unitprotocol::DiscoverySerialText(fields.serialHigh, fields.serialLow).c_str());
    SetName(unit);

    Trace("Now reading User Note of TM80.\r");
    unitprotocol::ReplyFrame<unitprotocol::kUserNote> note{};
    if (!SendRequest(tcp, unitprotocol::Request<unitprotocol::kUserNote>()) ||
        !ReceiveReply(tcp, window, note, "Characters received should have been 22: %ld.\r\n")) {
        return Next::PollAgain;
    }
    std::memcpy(unit.userNote.data(), note.data() + unitprotocol::kHeaderSize,
                unitprotocol::kNoteLength);
    unit.userNote[unitprotocol::kNoteLength] = '\0';

    unit.addressText = DottedText(unit.ipAddress);
    DiscoveryList::Instance().Append(unit);
    return Next::Finished;
}

// One answer of `length` bytes in `answer` (length 0 for an empty poll).
Next HandleAnswer(const std::array<char, kAnswerBufferSize>& answer, int length,
                  const Window& window, DiscoveredUnit& unit) {
    const WizNetSearch::Answer read =
        WizNetSearch::ReadAnswer(answer.data(), answer.size(), length);
    Trace("***** Data received from Broadcast response is =>\r\n");
    TraceLine(read.text);
    unit.macAddress = read.mac;
    if (!read.hasAddress) {
        Trace("Data did not match expected values in Broadcast response.\r\n");
        return Next::PollAgain;
    }
    unit.ipAddress = read.address;
    unit.reachable = 0;
    unit.commandPort = DiscoveredUnit::kCommandPort;
    TraceFormat("%s\r", kStars);
    TraceFormat("Attempting to TCP connect to: %d.%d.%d.%d.\r", unit.ipAddress[0],
                unit.ipAddress[1], unit.ipAddress[2], unit.ipAddress[3]);
    if (read.state) {
        std::string line = "Connection State: ";
        line += *read.state;
        TraceLine(line);
    }

    OwnedSocket tcp(win::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!tcp.Valid()) {
        TraceFormat("Could not create TCP socket : %d", win::WSAGetLastError());
        return Next::PollAgain;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(unit.commandPort);
    int converted = win::inet_pton(AF_INET, DottedText(unit.ipAddress).c_str(), &to.sin_addr);
    if (converted != 1) {
        TraceFormat("InetPton() returned %d.\r", converted);
    }
    if (win::ConnectWithin(tcp.Get(), to, window.WaitBound()) == win::SOCKET_ERROR) {
        TraceFormat("Could not connect() TCP socket : %d\r\n", win::WSAGetLastError());
        return Next::Finished;
    }
    return IdentifyUnit(tcp.Get(), window, unit);
}

// Broadcasts allowed and reads that do not wait; false with the error that
// prevented it.
bool PrepareSearchSocket(win::SOCKET udp, int& error) {
    const char broadcastOn = '1';
    if (win::setsockopt(udp, SOL_SOCKET, SO_BROADCAST, &broadcastOn, 1) == win::SOCKET_ERROR) {
        Trace("Error in setting Broadcast option.\r\n");
        error = win::WSAGetLastError();
        return false;
    }
    win::u_long nonBlocking = 1;
    int result = win::ioctlsocket(udp, win::FIONBIO_, &nonBlocking);
    if (result != 0) {
        error = win::WSAGetLastError();
        TraceFormat("ioctlsocket failed with error: %ld\r\n", static_cast<long>(result));
        return false;
    }
    return true;
}

// The search to the target: 0 when it went out, else why not.
int SendSearch(win::SOCKET udp, const DiscoveryTarget& target) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(target.port);
    // An address that does not read sends nothing, and neither does 0.0.0.0,
    // which Windows refuses and Linux would take for this host. The search's
    // fate does not change the window, as on Windows; it is only reported.
    if (win::inet_pton(AF_INET, target.broadcastAddress.c_str(), &to.sin_addr) != 1 ||
        to.sin_addr.s_addr == htonl(INADDR_ANY)) {
        return win::WSAEDESTADDRREQ;
    }
    const auto request = WizNetSearch::Request();
    return win::sendto(udp, reinterpret_cast<const char*>(request.data()),
                       static_cast<int>(request.size()), 0, reinterpret_cast<const sockaddr*>(&to),
                       sizeof to) == win::SOCKET_ERROR
               ? win::WSAGetLastError()
               : 0;
}

// Polls for answers and follows each up until the window is over, reporting
// the progress every step.
void TakeAnswers(win::SOCKET udp, const DiscoveryTarget& target, const Window& window,
                 NetworkProgress& progress) {
    std::array<char, kAnswerBufferSize> answer{}; // kept between polls, as the MAC is read from it
    DiscoveredUnit unit;
    bool lastPollEmpty = false;
    for (;;) {
        if (lastPollEmpty) {
            win::WaitReady(udp, kIdlePollMs);
        }
        sockaddr_in from{};
        int fromLength = sizeof from;
        int length = win::recvfrom(udp, answer.data(), kAnswerBufferSize, 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
        lastPollEmpty = length <= 0;
        if (lastPollEmpty) {
            TraceFormat("recvfrom() returned %d.\r\n", length);
            if (window.Over()) {
                break;
            }
            length = 0;
        }
        if (HandleAnswer(answer, length, window, unit) == Next::Finished && window.Over()) {
            break;
        }
        if (window.Elapsed() >= progress.elapsedMs + kProgressStepMs) {
            progress.elapsedMs = std::min(window.Elapsed(), target.windowMs);
            ReportNetworkProgress(progress);
        }
    }
}

} // namespace

void DiscoverWizNET_Devices() {
    DiscoverWizNET_Devices(DiscoveryTarget{});
}

int DiscoverWizNET_Devices(const DiscoveryTarget& target) {
    NetworkProgress progress = NetworkProgress::Searching(0, target.windowMs);
    ReportNetworkProgress(progress);
    DiscoveryList::Instance().Clear();
    TraceFormat("%s\r", kStars);
    Trace("Now looking for WizNET Devices.\r");

    OwnedSocket udp(win::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!udp.Valid()) {
        const int error = win::WSAGetLastError();
        TraceFormat("Could not create UDP socket : %d\r\n", error);
        return error;
    }
    if (int error = 0; !PrepareSearchSocket(udp.Get(), error)) {
        return error;
    }
    const int searchError = SendSearch(udp.Get(), target);

    win::Sleep(kPauseAfterSearchMs);
    const Window window(win::ProcessClock(), target.windowMs);
    TakeAnswers(udp.Get(), target, window, progress);
    progress.elapsedMs = target.windowMs;
    ReportNetworkProgress(progress);

    Trace("Time out completed.\r\n");
    const int used = window.Elapsed();
    Trace("Now exiting DiscoverWizNET_Devices().\r\n");
    TraceFormat("Time used: %d.\r\n", used);
    TraceFormat("%s\r\n", kStars);
    return searchError;
}
