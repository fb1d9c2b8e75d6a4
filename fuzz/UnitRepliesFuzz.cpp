// The unit model's reply handling: a sequence of the operations of
// CTM80M1_Comm (and the unit slot's reads) over a real connection to an
// in-process peer that answers with the fuzzer's bytes, whatever was asked:
// short, long, wrong headers, split into pieces that arrive one receive at a
// time. The peer then closes its side, so a short answer ends at once.
//
// Input: the peer's bytes first; from the end, the operations, their
// arguments and where the bytes are split.
//
// Checked: nothing reads outside what arrived or indexes outside a table
// (the sanitizers), and the model's values stay in their ranges.
#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "device/UnitSlot.h"
#include "fuzz/FuzzSupport.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A listener on port 5000 of a loopback address of this process's own.
class Listener {
public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const unsigned pid = static_cast<unsigned>(getpid());
        for (unsigned attempt = 0; attempt < 64; ++attempt) {
            const unsigned n = pid + attempt * 7919;
            address_ =
                "127.250." + std::to_string((n >> 8) % 250 + 1) + "." + std::to_string(n % 250 + 2);
            sockaddr_in at{};
            at.sin_family = AF_INET;
            at.sin_port = htons(TCPCom::kCommandPort);
            at.sin_addr.s_addr = ::inet_addr(address_.c_str());
            if (::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 &&
                ::listen(fd_, 4) == 0) {
                return;
            }
        }
        std::abort();
    }
    const std::string& Address() const { return address_; }
    int Accept() const { return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC); }

private:
    int fd_ = -1;
    std::string address_;
};

int Pending(int fd) {
    int pending = 0;
    ::ioctl(fd, FIONREAD, &pending);
    return pending;
}

// Sends the first piece once the client has sent its first request (which
// drops what came before), each further one once the client has taken
// everything before it from the socket, so each piece comes to the client by
// a receive of its own; then closes its sending side.
class Peer {
public:
    Peer(int fd, int clientFd, std::vector<std::vector<std::uint8_t>> pieces)
        : fd_(fd), thread_([this, clientFd, pieces = std::move(pieces)] {
              while (!RequestCame() && !stop_) {
                  ::usleep(20);
              }
              for (const auto& piece : pieces) {
                  while (Pending(clientFd) > 0 && !stop_) {
                      ::usleep(20);
                  }
                  if (stop_ || ::send(fd_, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) {
                      break;
                  }
              }
              ::shutdown(fd_, SHUT_WR);
          }) {}
    ~Peer() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

private:
    // Takes what the client sent; true when there was something.
    bool RequestCame() const {
        std::uint8_t request[256];
        bool came = false;
        while (::recv(fd_, request, sizeof request, MSG_DONTWAIT) > 0) {
            came = true;
        }
        return came;
    }

    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

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

void RunOperation(int op, std::uint8_t a, std::uint8_t b, UnitSlot& slot) {
    CTM80M1_Comm& unit = *slot.Unit();
    const int channel = a % 12 - 1; // one below and one above the channels too
    switch (op) {
    case 0:
        unit.ReadIdentity();
        break;
    case 1:
        unit.ReadUserNote();
        break;
    case 2:
        unit.WriteUserNote(std::string(a % 20, static_cast<char>(b)));
        break;
    case 3:
        unit.ReadUnitData();
        break;
    case 4:
        unit.ReadOutputAdjustments();
        break;
    case 5:
        unit.SetOutputAdjustment(channel, static_cast<std::int8_t>(b));
        break;
    case 6:
        unit.ReadSplitAndBands();
        break;
    case 7:
        unit.SetSplitAndBands(a % 4 - 1, {b % 8, 1, 2, 3, 4, 5, 6, 7});
        break;
    case 8:
        unit.ReadStatus();
        break;
    case 9:
        unit.SelectCalibrationBand(a % 4 - 1, b % 10 - 1);
        break;
    case 10:
        unit.SetCalibrationValue(b % 10 - 1, a % 3, channel, b);
        break;
    case 11:
        unit.FactoryReset(b % 10 - 1);
        break;
    case 12:
        unit.ReadCalibrationTable();
        break;
    case 13:
        unit.ReadReferenceTable();
        break;
    case 14:
        unit.FlashLeds();
        break;
    case 15:
        unit.ReadBlock(a);
        break;
    case 16:
        unit.SerialNumberText();
        break;
    case 17:
        slot.ReadUnit();
        break;
    default:
        slot.Open(nullptr);
        break;
    }
}

constexpr int kOperations = 19;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Listener listener = [] {
        fuzz::SilenceOutput();
        return Listener();
    }();
    FuzzedDataProvider in(data, size);
    struct Step {
        int op;
        std::uint8_t a, b;
    };
    std::vector<Step> steps(in.ConsumeIntegralInRange<std::size_t>(1, 4));
    for (Step& step : steps) {
        step.op = in.ConsumeIntegralInRange<int>(0, kOperations - 1);
        step.a = in.ConsumeIntegral<std::uint8_t>();
        step.b = in.ConsumeIntegral<std::uint8_t>();
    }
    std::vector<std::uint8_t> splits(in.ConsumeIntegralInRange<std::size_t>(0, 3));
    for (std::uint8_t& split : splits) {
        split = in.ConsumeIntegral<std::uint8_t>();
    }
    std::vector<std::uint8_t> bytes = in.ConsumeRemainingBytes<std::uint8_t>();
    std::vector<std::vector<std::uint8_t>> pieces;
    std::size_t at = 0;
    for (std::uint8_t split : splits) {
        const std::size_t length = (bytes.size() - at) * split / 256;
        pieces.emplace_back(bytes.begin() + static_cast<long>(at),
                            bytes.begin() + static_cast<long>(at + length));
        at += length;
    }
    pieces.emplace_back(bytes.begin() + static_cast<long>(at), bytes.end());

    auto connection = std::make_unique<TCPCom>(listener.Address().c_str());
    Check(connection->IsConnected());
    const int clientFd = static_cast<int>(connection->Socket());
    auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
    UnitSlot slot(0, std::move(connection), std::move(unit));
    Peer peer(listener.Accept(), clientFd, std::move(pieces));
    for (const Step& step : steps) {
        RunOperation(step.op, step.a, step.b, slot);
        CheckModel(*slot.Unit(), slot);
    }
    return 0;
}
