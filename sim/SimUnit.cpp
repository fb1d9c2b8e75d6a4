#include "sim/SimUnit.h"

#include "sim/FrameReader.h"
#include "sim/SocketUtil.h"
#include "sim/UnitState.h"
#include "sim/WakePipe.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

// Bytes waiting to be sent, not before `due`.
struct Chunk {
    Clock::time_point due;
    std::vector<std::uint8_t> data;
    std::size_t sent = 0;
};

struct Connection {
    int fd = -1;
    FrameReader reader;
    std::deque<Chunk> out;
    int answered = 0;           // frames answered since the fault was last set
    bool closeWhenSent = false; // no more answers; close once `out` is empty
    bool peerClosed = false;

    Clock::time_point LastDue(Clock::time_point now) const {
        return out.empty() ? now : std::max(now, out.back().due);
    }
};

bool IsTypeQuery(const ReceivedFrame& frame) {
    return frame.bytes.size() == 6 &&
           std::all_of(frame.bytes.begin(), frame.bytes.end(), [](auto b) { return b == 0; });
}

std::array<std::uint8_t, 6> MacFor(const UnitConfig& config) {
    if (std::any_of(config.mac.begin(), config.mac.end(), [](auto b) { return b != 0; })) {
        return config.mac;
    }
    sockaddr_in a{};
    MakeAddress(config.address, 0, a);
    const auto* o = reinterpret_cast<const std::uint8_t*>(&a.sin_addr.s_addr);
    return {0x00, 0x08, 0xDC, o[1], o[2], o[3]};
}

} // namespace

struct SimUnit::Impl {
    explicit Impl(UnitConfig c) : config(std::move(c)), state(config) {}

    bool OpenListener(std::string& why);
    void CloseListener();
    void Run();
    void ApplyControl();
    void Accept();
    void Read(Connection& conn);
    void Handle(Connection& conn, const ReceivedFrame& frame);
    void Flush(Connection& conn, Clock::time_point now);
    void Close(Connection& conn);
    int PollTimeout(Clock::time_point now) const;
    // A single client holds the unit's one socket.
    bool Busy() const;
    // Whether the port should have its listener now.
    bool WantListener() const;
    void KeepListener();

    UnitConfig config;

    // Shared with the callers; guarded by `mutex`.
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    UnitState state;
    std::vector<ReceivedFrame> frames;
    Fault fault = Fault::None;
    int faultParam = 0;
    ModuleFault moduleFault = ModuleFault::None;
    int moduleParam = 0;
    std::uint64_t controlAsked = 0;   // bumped by SetFault
    std::uint64_t controlApplied = 0; // what the server thread has acted on
    std::deque<std::vector<std::uint8_t>> injects;
    int connections = 0;
    std::string error;

    std::atomic<int> open{0};
    std::atomic<bool> listening{false};
    std::atomic<bool> stop{false};

    // The server thread's own.
    Fault appliedFault = Fault::None;
    int listenFd = -1;
    std::vector<std::unique_ptr<Connection>> conns;
    WakePipe wake;
    std::thread thread;
    std::unique_ptr<SimModule> module;
};

bool SimUnit::Impl::OpenListener(std::string& why) {
    sockaddr_in addr{};
    if (!MakeAddress(config.address, config.port, addr)) {
        why = "not an IPv4 address: " + config.address;
        return false;
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        why = ErrnoText("socket");
        return false;
    }
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        why = ErrnoText("bind " + config.address + ":" + std::to_string(config.port));
        ::close(fd);
        return false;
    }
    if (::listen(fd, 16) != 0) {
        why = ErrnoText("listen");
        ::close(fd);
        return false;
    }
    listenFd = fd;
    listening = true;
    return true;
}

void SimUnit::Impl::CloseListener() {
    if (listenFd >= 0) {
        ::close(listenFd);
        listenFd = -1;
    }
    listening = false;
}

void SimUnit::Impl::ApplyControl() {
    std::deque<std::vector<std::uint8_t>> bytes;
    Fault f;
    std::uint64_t asked;
    bool faultChanged;
    {
        std::lock_guard lock(mutex);
        f = fault;
        asked = controlAsked;
        faultChanged = controlApplied != asked;
        if (!conns.empty()) {
            bytes.swap(injects);
        }
    }
    if (faultChanged) {
        for (auto& c : conns) {
            c->answered = 0;
        }
    }
    appliedFault = f;
    KeepListener();
    // Unsolicited bytes go to the newest connection.
    auto now = Clock::now();
    for (auto& b : bytes) {
        Connection& c = *conns.back();
        c.out.push_back(Chunk{c.LastDue(now), std::move(b)});
    }
    if (faultChanged) {
        std::lock_guard lock(mutex);
        controlApplied = asked;
        changed.notify_all();
    }
}

bool SimUnit::Impl::Busy() const {
    return config.singleClient &&
           std::any_of(conns.begin(), conns.end(), [](const auto& c) { return c->fd >= 0; });
}

bool SimUnit::Impl::WantListener() const {
    return appliedFault != Fault::NotListening && !Busy();
}

void SimUnit::Impl::KeepListener() {
    if (!WantListener()) {
        CloseListener();
    } else if (listenFd < 0) {
        std::string why;
        OpenListener(why); // retried on the next round while it fails
    }
}

void SimUnit::Impl::Accept() {
    // One client at a time: once it is accepted the listener goes, so the
    // kernel refuses further connects (those already queued are reset).
    while (listenFd >= 0 && !Busy()) {
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        auto conn = std::make_unique<Connection>();
        conn->fd = fd;
        conns.push_back(std::move(conn));
        ++open;
        // Before the connection is told: a client that waits for it and then
        // connects again must find the port closed.
        KeepListener();
        std::lock_guard lock(mutex);
        ++connections;
        changed.notify_all();
    }
}

void SimUnit::Impl::Close(Connection& conn) {
    if (conn.fd >= 0) {
        ::close(conn.fd);
        conn.fd = -1;
    }
}

void SimUnit::Impl::Read(Connection& conn) {
    std::uint8_t buffer[4096];
    for (;;) {
        ssize_t n = ::recv(conn.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            conn.reader.Append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) {
            conn.peerClosed = true;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            Close(conn);
            return;
        }
        break;
    }
    ReceivedFrame frame;
    while (conn.fd >= 0 && conn.reader.Next(frame)) {
        frame.at = Clock::now();
        Handle(conn, frame);
    }
    if (conn.peerClosed && conn.fd >= 0) {
        // Answers still queued go out before the connection is closed.
        conn.closeWhenSent = true;
    }
}

void SimUnit::Impl::Handle(Connection& conn, const ReceivedFrame& frame) {
    std::vector<std::uint8_t> reply;
    Fault f;
    int p;
    bool silent;
    {
        std::lock_guard lock(mutex);
        frames.push_back(frame);
        changed.notify_all();
        if (conn.closeWhenSent) {
            return; // received after the unit decided to close: not carried out
        }
        reply = state.Execute(frame);
        if (IsTypeQuery(frame)) {
            if (moduleFault == ModuleFault::UnitType) {
                reply[0] = static_cast<std::uint8_t>(moduleParam != 0 ? moduleParam : 0x17);
            } else if (moduleFault == ModuleFault::InvalidTypeReply) {
                reply[4] = 1;
            }
        }
        f = fault;
        p = std::max(faultParam, 0);
        silent = f == Fault::Silent || moduleFault == ModuleFault::SilentTcp;
        if (f == Fault::Garbage) {
            reply = state.RandomBytes(reply.size());
        }
    }
    if (silent) {
        return;
    }
    if (f == Fault::Reset) {
        CloseWithReset(conn.fd);
        conn.fd = -1;
        return;
    }
    if (f == Fault::CloseAfterFrames && conn.answered >= p) {
        conn.closeWhenSent = true;
        return;
    }
    auto base = conn.LastDue(Clock::now());
    auto ms = std::chrono::milliseconds(p);
    switch (f) {
    case Fault::HeaderOnly:
        reply.resize(6);
        conn.out.push_back(Chunk{base, std::move(reply)});
        break;
    case Fault::SlowBytes:
        for (std::uint8_t b : reply) {
            base += ms;
            conn.out.push_back(Chunk{base, {b}});
        }
        break;
    case Fault::DelayedReply:
        conn.out.push_back(Chunk{base + ms, std::move(reply)});
        break;
    default:
        conn.out.push_back(Chunk{base, std::move(reply)});
        break;
    }
    ++conn.answered;
    if (f == Fault::CloseAfterFrames && conn.answered >= p) {
        conn.closeWhenSent = true;
    }
}

void SimUnit::Impl::Flush(Connection& conn, Clock::time_point now) {
    while (conn.fd >= 0 && !conn.out.empty() && conn.out.front().due <= now) {
        Chunk& c = conn.out.front();
        ssize_t n = ::send(conn.fd, c.data.data() + c.sent, c.data.size() - c.sent,
                           MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                return;
            }
            Close(conn);
            return;
        }
        c.sent += static_cast<std::size_t>(n);
        if (c.sent == c.data.size()) {
            conn.out.pop_front();
        }
    }
    if (conn.fd >= 0 && conn.closeWhenSent && conn.out.empty()) {
        Close(conn);
    }
}

int SimUnit::Impl::PollTimeout(Clock::time_point now) const {
    int timeout = listenFd < 0 && WantListener() ? 50 : -1;
    for (const auto& c : conns) {
        if (!c->out.empty() && c->out.front().due > now) {
            auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(c->out.front().due - now)
                    .count() +
                1;
            int w = static_cast<int>(std::min<long long>(wait, 60000));
            timeout = timeout < 0 ? w : std::min(timeout, w);
        }
    }
    return timeout;
}

void SimUnit::Impl::Run() {
    while (!stop) {
        ApplyControl();
        auto now = Clock::now();
        for (auto& c : conns) {
            Flush(*c, now);
        }
        auto gone = std::remove_if(conns.begin(), conns.end(), [](auto& c) { return c->fd < 0; });
        open -= static_cast<int>(conns.end() - gone);
        conns.erase(gone, conns.end());
        KeepListener(); // a single client that left frees the port

        std::vector<pollfd> fds;
        fds.push_back({wake.ReadFd(), POLLIN, 0});
        for (auto& c : conns) {
            short events = c->peerClosed ? 0 : POLLIN;
            if (!c->out.empty() && c->out.front().due <= now) {
                events |= POLLOUT;
            }
            // A closed peer with nothing due yet is left out, or poll would spin on its hang-up.
            fds.push_back({events == 0 ? -1 : c->fd, events, 0});
        }
        std::size_t listenIndex = fds.size();
        if (listenFd >= 0) {
            fds.push_back({listenFd, POLLIN, 0});
        }
        int timeout;
        {
            std::lock_guard lock(mutex);
            timeout = PollTimeout(now);
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents != 0) {
            wake.Drain();
        }
        for (std::size_t i = 0; i < conns.size(); ++i) {
            if ((fds[1 + i].revents & (POLLIN | POLLHUP | POLLERR)) != 0 && !conns[i]->peerClosed) {
                Read(*conns[i]);
            }
        }
        if (listenIndex < fds.size() && (fds[listenIndex].revents & POLLIN) != 0) {
            Accept();
        }
    }
    for (auto& c : conns) {
        Close(*c);
    }
    conns.clear();
    open = 0;
    CloseListener();
}

SimUnit::SimUnit(UnitConfig config) : impl_(std::make_unique<Impl>(std::move(config))) {}

SimUnit::~SimUnit() {
    Stop();
}

bool SimUnit::Start() {
    if (impl_->thread.joinable()) {
        return true;
    }
    if (!impl_->wake.Valid()) {
        impl_->error = "no wake pipe";
        return false;
    }
    Fault f;
    {
        std::lock_guard lock(impl_->mutex);
        f = impl_->fault;
        impl_->controlApplied = impl_->controlAsked;
    }
    if (f != Fault::NotListening && !impl_->OpenListener(impl_->error)) {
        return false;
    }
    impl_->stop = false;
    impl_->thread = std::thread([this] { impl_->Run(); });
    if (impl_->config.module) {
        ModuleConfig mc;
        mc.address = impl_->config.address;
        mc.mac = MacFor(impl_->config);
        mc.discoveryPort = impl_->config.discoveryPort;
        mc.unitPort = impl_->config.port;
        Impl* impl = impl_.get();
        mc.state = [impl] {
            return impl->open > 0 ? "CONNECTED" : impl->listening ? "OPEN" : "CLOSED";
        };
        impl_->module = std::make_unique<SimModule>(std::move(mc));
        ModuleFault mf;
        int mp;
        {
            std::lock_guard lock(impl_->mutex);
            mf = impl_->moduleFault;
            mp = impl_->moduleParam;
        }
        impl_->module->SetFault(mf, mp);
        if (!impl_->module->Start()) {
            impl_->error = "module: " + impl_->module->Error();
            Stop();
            return false;
        }
    }
    return true;
}

void SimUnit::Stop() {
    if (impl_->module) {
        impl_->module->Stop();
        impl_->module.reset();
    }
    if (impl_->thread.joinable()) {
        impl_->stop = true;
        impl_->wake.Wake();
        impl_->thread.join();
    }
}

const std::string& SimUnit::Error() const {
    return impl_->error;
}

const UnitConfig& SimUnit::Config() const {
    return impl_->config;
}

void SimUnit::SetFault(Fault fault, int param) {
    std::unique_lock lock(impl_->mutex);
    impl_->fault = fault;
    impl_->faultParam = param;
    std::uint64_t asked = ++impl_->controlAsked;
    if (!impl_->thread.joinable()) {
        impl_->controlApplied = asked;
        return;
    }
    impl_->wake.Wake();
    // Wait until the server thread acts on it, so a test sees the fault at once.
    impl_->changed.wait_for(lock, std::chrono::seconds(2),
                            [&] { return impl_->controlApplied >= asked; });
}

void SimUnit::SetModuleFault(ModuleFault fault, int param) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->moduleFault = fault;
        impl_->moduleParam = param;
    }
    if (impl_->module) {
        impl_->module->SetFault(fault, param);
    }
}

int SimUnit::ModuleSearches() const {
    return impl_->module ? impl_->module->Searches() : 0;
}

bool SimUnit::WaitForModuleAnswers(int count, int timeoutMs) const {
    return impl_->module && impl_->module->WaitForAnswers(count, timeoutMs);
}

void SimUnit::InjectBytes(std::size_t count, std::uint8_t value) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->injects.emplace_back(count, value);
    }
    impl_->wake.Wake();
}

std::vector<ReceivedFrame> SimUnit::Frames() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->frames;
}

void SimUnit::ClearFrames() {
    std::lock_guard lock(impl_->mutex);
    impl_->frames.clear();
}

bool SimUnit::WaitForFrames(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return impl_->frames.size() >= count; });
}

bool SimUnit::WaitForConnections(int count, int timeoutMs) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return impl_->connections >= count; });
}

int SimUnit::Connections() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->connections;
}

int SimUnit::OpenConnections() const {
    return impl_->open;
}

int SimUnit::LedFlashes() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.LedFlashes();
}

std::string SimUnit::Note() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.Note();
}

void SimUnit::SetNote(const std::string& note) {
    std::lock_guard lock(impl_->mutex);
    impl_->state.SetNote(note);
}

int SimUnit::Split() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.Split();
}

std::vector<int> SimUnit::BandSelection() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.BandSelection();
}

std::vector<int> SimUnit::Adjustments() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.Adjustments();
}

int SimUnit::Calibration(int band, int channel) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.Calibration(band, channel);
}

int SimUnit::Reference(int band, int channel) const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.Reference(band, channel);
}

int SimUnit::CalibrationBand() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.CalibrationBand();
}

int SimUnit::CalibrationSplit() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->state.CalibrationSplit();
}

void SimUnit::SetAdjustment(int channel, int value) {
    std::lock_guard lock(impl_->mutex);
    impl_->state.SetAdjustment(channel, value);
}

void SimUnit::SetCalibration(int band, int channel, int value) {
    std::lock_guard lock(impl_->mutex);
    impl_->state.SetCalibration(band, channel, value);
}

void SimUnit::SetStatus(int temperature, int voltageTenths, int currentTenths) {
    std::lock_guard lock(impl_->mutex);
    impl_->state.SetStatus(temperature, voltageTenths, currentTenths);
}

void SimUnit::SetTemperature(int temperature) {
    std::lock_guard lock(impl_->mutex);
    impl_->state.SetTemperature(temperature);
}

void SimUnit::ReleaseTemperature() {
    std::lock_guard lock(impl_->mutex);
    impl_->state.ReleaseTemperature();
}

} // namespace sim
