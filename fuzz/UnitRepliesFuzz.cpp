// The unit model's reply handling: up to four operations of CTM80M1_Comm
// (and the unit slot's reads) over a real connection to an in-process peer
// that answers with the fuzzer's bytes whatever was asked (short, long, wrong
// headers), split into pieces that arrive one receive at a time, then closes
// its side so a short answer ends at once. Input: the peer's bytes; from the
// end, the operations with their arguments and where the bytes are split.
//
// Checked: nothing reads outside what arrived or indexes outside a table
// (the sanitizers), and the model's values stay in their ranges.
#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "device/UnitSlot.h"
#include "fuzz/FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <arpa/inet.h>
#include <memory>
#include <span>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using fuzz::Check;
using Pieces = std::vector<std::span<const std::uint8_t>>;

// A listener on port 5000 of a loopback address of this process's own.
struct Listener {
    Listener() {
        for (unsigned attempt = 0, pid = static_cast<unsigned>(getpid()); attempt < 64; ++attempt) {
            const unsigned n = pid + attempt * 7919;
            address =
                "127.250." + std::to_string((n >> 8) % 250 + 1) + "." + std::to_string(n % 250 + 2);
            const sockaddr_in at{.sin_family = AF_INET,
                                 .sin_port = htons(TCPCom::kCommandPort),
                                 .sin_addr = {::inet_addr(address.c_str())},
                                 .sin_zero = {}};
            if (::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0 &&
                ::listen(fd, 4) == 0) {
                return;
            }
        }
        std::abort();
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::string address;
};

// The peer's side of one connection, closed last.
struct Socket {
    int fd;
    ~Socket() { ::close(fd); }
};

// The peer: sends the first piece once the client has sent its first request
// (which drops what came before), each further one once the client has taken
// everything before it from the socket, so each piece comes to the client by
// a receive of its own; then closes its sending side.
void Serve(std::stop_token stop, int fd, int clientFd, const Pieces& pieces) {
    const auto requestCame = [fd] { // takes what the client sent
        std::uint8_t request[256];
        bool came = false;
        while (::recv(fd, request, sizeof request, MSG_DONTWAIT) > 0) {
            came = true;
        }
        return came;
    };
    const auto clientHasInput = [clientFd] {
        int pending = 0;
        ::ioctl(clientFd, FIONREAD, &pending);
        return pending > 0;
    };
    while (!requestCame() && !stop.stop_requested()) {
        ::usleep(20);
    }
    for (const auto& piece : pieces) {
        while (clientHasInput() && !stop.stop_requested()) {
            ::usleep(20);
        }
        if (stop.stop_requested() || ::send(fd, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) {
            break;
        }
    }
    ::shutdown(fd, SHUT_WR);
}

void CheckModel(const CTM80M1_Comm& unit, const UnitSlot& slot) {
    Check(unit.settings.split == 0 || unit.settings.split == 1);
    for (int band : unit.settings.bandSelection) {
        Check(band >= 0 && band < UnitBandTable::kBands);
    }
    for (int c = 0; c < UnitSettings::kChannels; ++c) {
        const int bound = c < UnitSettings::kOutputs ? 12 : 8;
        Check(unit.settings.adjustments[c] >= -bound && unit.settings.adjustments[c] <= bound);
    }
    Check(unit.calibration.calibrationBand >= 0 &&
          unit.calibration.calibrationBand < UnitBandTable::kBands);
    Check(unit.calibration.calibrationSplit == 0 || unit.calibration.calibrationSplit == 1);
    Check(unit.identity.userNote[UnitIdentity::kNoteLength] == '\0');
    Check(slot.bandCount >= 0 && slot.bandCount <= UnitSlot::kBands);
}

// What a step can do with its arguments `a` and `b`: channels, splits and bands
// run one below and one above their ranges too.
using Operation = void (*)(UnitSlot&, CTM80M1_Comm&, std::uint8_t, std::uint8_t);
constexpr Operation kOperations[] = {
    [](auto&, auto& u, auto, auto) { u.ReadIdentity(); },
    [](auto&, auto& u, auto, auto) { u.ReadUserNote(); },
    [](auto&, auto& u, auto a, auto b) { u.WriteUserNote(std::string(a % 20, char(b))); },
    [](auto&, auto& u, auto, auto) { u.ReadUnitData(); },
    [](auto&, auto& u, auto, auto) { u.ReadOutputAdjustments(); },
    [](auto&, auto& u, auto a, auto b) { u.SetOutputAdjustment(a % 12 - 1, std::int8_t(b)); },
    [](auto&, auto& u, auto, auto) { u.ReadSplitAndBands(); },
    [](auto&, auto& u, auto a, auto b) {
        u.SetSplitAndBands(a % 4 - 1, {b % 8, 1, 2, 3, 4, 5, 6, 7});
    },
    [](auto&, auto& u, auto, auto) { u.ReadStatus(); },
    [](auto&, auto& u, auto a, auto b) { u.SelectCalibrationBand(a % 4 - 1, b % 10 - 1); },
    [](auto&, auto& u, auto a, auto b) { u.SetCalibrationValue(b % 10 - 1, a % 3, a % 12 - 1, b); },
    [](auto&, auto& u, auto, auto b) { u.FactoryReset(b % 10 - 1); },
    [](auto&, auto& u, auto, auto) { u.ReadCalibrationTable(); },
    [](auto&, auto& u, auto, auto) { u.ReadReferenceTable(); },
    [](auto&, auto& u, auto, auto) { u.FlashLeds(); },
    [](auto&, auto& u, auto a, auto) { u.ReadBlock(a); },
    [](auto&, auto& u, auto, auto) { u.SerialNumberText(); },
    [](auto& slot, auto&, auto, auto) { slot.ReadUnit(); },
    [](auto& slot, auto&, auto, auto) { slot.Open(nullptr); },
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::SilenceOutput();
    static const Listener listener;
    FuzzedDataProvider in(data, size);
    struct Step {
        int op;
        std::uint8_t a, b;
    };
    std::vector<Step> steps(in.ConsumeIntegralInRange<std::size_t>(1, 4));
    for (Step& step : steps) {
        step = {in.ConsumeIntegralInRange<int>(0, static_cast<int>(std::size(kOperations)) - 1),
                in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>()};
    }
    std::vector<std::uint8_t> splits(in.ConsumeIntegralInRange<std::size_t>(0, 3));
    for (std::uint8_t& split : splits) {
        split = in.ConsumeIntegral<std::uint8_t>();
    }
    const std::vector<std::uint8_t> bytes = in.ConsumeRemainingBytes<std::uint8_t>();
    Pieces pieces;
    std::span<const std::uint8_t> left(bytes);
    for (std::uint8_t split : splits) {
        pieces.push_back(left.first(left.size() * split / 256));
        left = left.subspan(pieces.back().size());
    }
    pieces.push_back(left);

    auto connection = std::make_unique<TCPCom>(listener.address.c_str());
    Check(connection->IsConnected());
    const int clientFd = static_cast<int>(connection->Socket());
    auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
    UnitSlot slot(0, std::move(connection), std::move(unit));
    const Socket peerSocket{::accept4(listener.fd, nullptr, nullptr, SOCK_CLOEXEC)};
    const std::jthread peer(Serve, peerSocket.fd, clientFd, std::cref(pieces));
    for (const Step& step : steps) {
        kOperations[step.op](slot, *slot.Unit(), step.a, step.b);
        CheckModel(*slot.Unit(), slot);
    }
    return 0;
}
