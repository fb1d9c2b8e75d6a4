#include "sim/SimModule.h"

#include "sim/SocketUtil.h"
#include "sim/WakePipe.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

// The codes of the search request, in the order the module answers them when
// a request names none.
constexpr const char* kCodes[] = {"MC", "VR", "MN", "UN", "ST", "IM", "OP", "DD", "CP", "PO", "DG",
                                  "KA", "KI", "KE", "RI", "LI", "SM", "GW", "DS", "PI", "PP", "DX",
                                  "DP", "DI", "DW", "DH", "LP", "RP", "RH", "BR", "DB", "PR", "SB",
                                  "FL", "IT", "PT", "PS", "PD", "TE", "SS", "NP", "SP"};

bool IsSearch(const std::vector<std::uint8_t>& request) {
    return request.size() >= 8 && request[0] == 'M' && request[1] == 'A' &&
           std::all_of(request.begin() + 2, request.begin() + 8, [](auto b) { return b == 0xFF; });
}

// The two-letter codes that the request asks for, one per CR LF line after the header.
std::vector<std::string> RequestedCodes(const std::vector<std::uint8_t>& request) {
    std::vector<std::string> codes;
    std::string text(request.begin() + std::min<std::size_t>(request.size(), 8), request.end());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        std::string line = text.substr(pos, end == std::string::npos ? end : end - pos);
        if (line.size() == 2 && std::isupper(static_cast<unsigned char>(line[0])) &&
            std::isupper(static_cast<unsigned char>(line[1]))) {
            codes.push_back(line);
        }
        if (end == std::string::npos) {
            break;
        }
        pos = end + 2;
    }
    if (codes.empty()) {
        codes.assign(std::begin(kCodes), std::end(kCodes));
    }
    return codes;
}

} // namespace

std::optional<std::uint32_t> AnswerAddress(std::uint32_t source) {
    if (source == INADDR_ANY) {
        source = INADDR_LOOPBACK;
    }
    if ((source >> 24) != 127) {
        return std::nullopt;
    }
    return source;
}

std::vector<std::uint8_t> MakeSearchRequest() {
    std::string text = "MA";
    text.append(6, '\xFF');
    text += "\r\nPW \r\n";
    for (const char* code : kCodes) {
        text += code;
        text += "\r\n";
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

struct SimModule::Impl {
    explicit Impl(ModuleConfig c) : config(std::move(c)) {}

    struct Pending {
        Clock::time_point due;
        sockaddr_in to;
        std::vector<std::uint8_t> data;
    };

    void Send(const Pending& p);
    std::string Value(const std::string& code, ModuleFault f, int param) const;
    void CloseSockets();

    ModuleConfig config;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    ModuleFault fault = ModuleFault::None;
    int faultParam = 0;
    int searches = 0;
    int answers = 0;
    std::string error;

    int listenFd = -1;
    int sendFd = -1;
    WakePipe wake;
    std::thread thread;
    std::atomic<bool> stop{false};
    std::vector<Pending> pending;
};

std::string SimModule::Impl::Value(const std::string& code, ModuleFault f, int param) const {
    const auto& m = config.mac;
    if (code == "MC") {
        char text[18];
        std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3],
                      m[4], m[5]);
        return text;
    }
    if (code == "LI") {
        sockaddr_in a{};
        MakeAddress(config.address, 0, a);
        const auto* o = reinterpret_cast<const std::uint8_t*>(&a.sin_addr.s_addr);
        if (f == ModuleFault::LIMissingSeparators) {
            return std::to_string(o[0]) + std::to_string(o[1]) + std::to_string(o[2]) +
                   std::to_string(o[3]);
        }
        int last = o[3];
        if (f == ModuleFault::LIOctetAbove255) {
            last = param > 255 ? param : last + 256;
        }
        return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) +
               "." + std::to_string(last);
    }
    if (code == "ST") {
        // Not "LISTEN" by default: it holds "LI", which a naive search takes for the address line.
        if (f == ModuleFault::ListenState) {
            return "LISTEN";
        }
        return config.state ? config.state() : "OPEN";
    }
    if (code == "VR") {
        return config.version;
    }
    if (code == "MN") {
        return config.name;
    }
    if (code == "LP" || code == "RP") {
        return std::to_string(config.unitPort);
    }
    if (code == "UN") {
        return "TM80";
    }
    if (code == "SM") {
        return "255.0.0.0";
    }
    if (code == "GW" || code == "DS") {
        return "127.0.0.1";
    }
    if (code == "RH") {
        return "0.0.0.0";
    }
    if (code == "OP" || code == "KA" || code == "DB") {
        return "1";
    }
    if (code == "KI") {
        return "7000";
    }
    if (code == "KE") {
        return "5000";
    }
    if (code == "BR") {
        return "12";
    }
    if (code == "SS") {
        return "2B2B2B";
    }
    return "0";
}

std::vector<std::uint8_t> SimModule::BuildAnswer(const std::vector<std::uint8_t>& request) const {
    if (!IsSearch(request)) {
        return {};
    }
    ModuleFault f;
    int param;
    {
        std::lock_guard lock(impl_->mutex);
        f = impl_->fault;
        param = impl_->faultParam;
    }
    std::string text = "MA";
    text.append(impl_->config.mac.begin(), impl_->config.mac.end());
    text += "\r\n";
    for (const std::string& code : RequestedCodes(request)) {
        if (code == "LI" && f == ModuleFault::NoLI) {
            continue;
        }
        text += code + impl_->Value(code, f, param) + "\r\n";
    }
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

void SimModule::Impl::Send(const Pending& p) {
    int fd = sendFd >= 0 ? sendFd : listenFd;
    ssize_t n = ::sendto(fd, p.data.data(), p.data.size(), 0,
                         reinterpret_cast<const sockaddr*>(&p.to), sizeof p.to);
    if (n == static_cast<ssize_t>(p.data.size())) {
        std::lock_guard lock(mutex);
        ++answers;
        changed.notify_all();
    }
}

void SimModule::Serve() {
    Impl& d = *impl_;
    while (!d.stop) {
        auto now = Clock::now();
        auto due = std::stable_partition(d.pending.begin(), d.pending.end(),
                                         [now](const Impl::Pending& p) { return p.due > now; });
        for (auto it = due; it != d.pending.end(); ++it) {
            d.Send(*it);
        }
        d.pending.erase(due, d.pending.end());
        int timeout = -1;
        for (const auto& p : d.pending) {
            auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(p.due - now).count() + 1;
            timeout = timeout < 0 ? static_cast<int>(ms) : std::min(timeout, static_cast<int>(ms));
        }
        pollfd fds[2] = {{d.wake.ReadFd(), POLLIN, 0}, {d.listenFd, POLLIN, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents != 0) {
            d.wake.Drain();
        }
        if ((fds[1].revents & POLLIN) == 0) {
            continue;
        }
        std::vector<std::uint8_t> request(2048);
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        ssize_t n = ::recvfrom(d.listenFd, request.data(), request.size(), MSG_DONTWAIT,
                               reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n <= 0) {
            continue;
        }
        const std::optional<std::uint32_t> answerTo = AnswerAddress(ntohl(from.sin_addr.s_addr));
        if (!answerTo) {
            continue;
        }
        from.sin_addr.s_addr = htonl(*answerTo);
        request.resize(static_cast<std::size_t>(n));
        std::vector<std::uint8_t> answer = BuildAnswer(request);
        if (answer.empty()) {
            continue;
        }
        int delay = 0;
        {
            std::lock_guard lock(d.mutex);
            ++d.searches;
            if (d.fault == ModuleFault::DelayedAnswer) {
                delay = std::max(d.faultParam, 0);
            }
        }
        d.pending.push_back(Impl::Pending{Clock::now() + std::chrono::milliseconds(delay), from,
                                          std::move(answer)});
    }
}

SimModule::SimModule(ModuleConfig config) : impl_(std::make_unique<Impl>(std::move(config))) {}

SimModule::~SimModule() {
    Stop();
}

void SimModule::Impl::CloseSockets() {
    if (listenFd >= 0) {
        ::close(listenFd);
        listenFd = -1;
    }
    if (sendFd >= 0) {
        ::close(sendFd);
        sendFd = -1;
    }
}

bool SimModule::Start() {
    Impl& d = *impl_;
    if (d.thread.joinable()) {
        return true;
    }
    sockaddr_in any{};
    MakeAddress("0.0.0.0", d.config.discoveryPort, any);
    sockaddr_in own{};
    if (!MakeAddress(d.config.address, 0, own)) {
        d.error = "not an IPv4 address: " + d.config.address;
        return false;
    }
    d.listenFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (d.listenFd < 0) {
        d.error = ErrnoText("socket");
        return false;
    }
    int one = 1;
    ::setsockopt(d.listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::setsockopt(d.listenFd, SOL_SOCKET, SO_REUSEPORT, &one, sizeof one);
    if (::bind(d.listenFd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        d.error = ErrnoText("bind UDP port " + std::to_string(d.config.discoveryPort));
        d.CloseSockets();
        return false;
    }
    // Answers leave from the module's own address, as a real module's would.
    d.sendFd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (d.sendFd >= 0 && ::bind(d.sendFd, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0) {
        ::close(d.sendFd);
        d.sendFd = -1;
    }
    d.stop = false;
    d.thread = std::thread([this] { Serve(); });
    return true;
}

void SimModule::Stop() {
    if (impl_->thread.joinable()) {
        impl_->stop = true;
        impl_->wake.Wake();
        impl_->thread.join();
    }
    impl_->pending.clear();
    impl_->CloseSockets();
}

const std::string& SimModule::Error() const {
    return impl_->error;
}

void SimModule::SetFault(ModuleFault fault, int param) {
    std::lock_guard lock(impl_->mutex);
    impl_->fault = fault;
    impl_->faultParam = param;
}

int SimModule::Searches() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->searches;
}

int SimModule::Answers() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->answers;
}

bool SimModule::WaitForAnswers(int count, int timeoutMs) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return impl_->answers >= count; });
}

} // namespace sim
