#include "metrics/MetricsServer.h"

#include "metrics/ExpositionText.h"

#include <arpa/inet.h>
#include <atomic>
#include <charconv>
#include <chrono>
#include <civetweb.h>
#include <ctime>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace metrics {

namespace {

constexpr const char* kTextType = "text/plain; charset=utf-8";

// CivetWeb's options beside the listening address: enough threads that a
// few slow clients leave room for the scrapes, a request that stalls dropped
// after 5 s; paths compared as sent (no decoding: "/metrics%00" is not
// "/metrics"); an absolute URI served when it names this server.
const char* const kOptions[][2] = {{"num_threads", "16"},
                                   {"request_timeout_ms", "5000"},
                                   {"decode_url", "no"},
                                   {"enable_directory_listing", "no"},
                                   {"enable_auth_domain_check", "no"}};

// The response's Date header. CivetWeb writes one with gmtime() when a
// response has none, and gmtime's one result buffer is shared by the threads
// that answer side by side; gmtime_r writes into ours.
std::string HttpDate() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    char text[64] = {};
    if (::gmtime_r(&now, &utc) != nullptr) {
        std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &utc);
    }
    return text;
}

void Respond(mg_connection* connection, int status, const char* type, const std::string& body,
             bool headOnly, const char* allow = nullptr) {
    mg_response_header_start(connection, status);
    mg_response_header_add(connection, "Date", HttpDate().c_str(), -1);
    mg_response_header_add(connection, "Content-Type", type, -1);
    mg_response_header_add(connection, "Content-Length", std::to_string(body.size()).c_str(), -1);
    if (allow != nullptr) {
        mg_response_header_add(connection, "Allow", allow, -1);
    }
    mg_response_header_send(connection);
    if (!headOnly) {
        mg_write(connection, body.data(), body.size());
    }
}

} // namespace

MetricsServer::MetricsServer(RenderFunction render, std::string title, LogFunction log)
    : render_(std::move(render)), title_(std::move(title)), log_(std::move(log)) {}

MetricsServer::~MetricsServer() {
    Stop();
}

std::string MetricsServer::ListeningPort(const std::string& listenAddress) {
    const std::size_t colon = listenAddress.rfind(':');
    if (colon == std::string::npos) {
        return {};
    }
    const std::string host = listenAddress.substr(0, colon);
    const std::string port = listenAddress.substr(colon + 1);
    unsigned number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || number == 0 ||
        number > 65535) {
        return {};
    }
    in_addr parsed{};
    if (host.empty()) {
        return std::to_string(number);
    }
    if (::inet_pton(AF_INET, host.c_str(), &parsed) != 1) {
        return {};
    }
    return host + ":" + std::to_string(number);
}

bool MetricsServer::Start(const std::string& listenAddress) {
    Stop();
    const std::string ports = ListeningPort(listenAddress);
    if (ports.empty()) {
        error_ = "not a listen address (HOST:PORT or :PORT, HOST a dotted IPv4 address): " +
                 listenAddress;
        return false;
    }
    static std::once_flag libraryStarted;
    std::call_once(libraryStarted, [] { mg_init_library(0); });

    std::vector<const char*> options;
    for (const auto& [name, value] : kOptions) {
        options.push_back(name);
        options.push_back(value);
    }
    options.push_back("listening_ports");
    options.push_back(ports.c_str());
    options.push_back(nullptr);
    mg_callbacks callbacks{};
    callbacks.log_message = &MetricsServer::Log;
    callbacks.begin_request = &MetricsServer::Begin;
    mg_init_data init{};
    init.callbacks = &callbacks;
    init.user_data = this;
    init.configuration_options = options.data();
    char text[256] = {};
    unsigned code = 0;
    mg_error_data error{&code, text, sizeof text};
    const std::size_t colon = listenAddress.rfind(':');
    host_ = listenAddress.substr(0, colon);
    port_ = std::stoi(listenAddress.substr(colon + 1));
    // CivetWeb tells why it cannot start in a message of its own first
    // ("cannot bind to ...: 98 (Address already in use)"), then in `text`.
    starting_ = true;
    startMessage_.clear();
    context_ = mg_start2(&init, &error);
    starting_ = false;
    if (context_ == nullptr) {
        error_ = "cannot listen on " + listenAddress + ": " +
                 (startMessage_.empty() ? std::string(text) : startMessage_);
        return false;
    }
    error_.clear();
    return true;
}

void MetricsServer::Stop() {
    if (context_ == nullptr) {
        return;
    }
    // CivetWeb's listening thread looks at its stop flag between waits of
    // two seconds; a connection ends the wait at once.
    std::atomic<bool> stopped{false};
    std::thread wake([this, &stopped] {
        while (!stopped) {
            WakeListener();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    mg_stop(context_);
    stopped = true;
    wake.join();
    context_ = nullptr;
}

void MetricsServer::WakeListener() const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port_));
    // A server on every address is reached on loopback.
    if (::inet_pton(AF_INET, host_.empty() ? "127.0.0.1" : host_.c_str(), &to.sin_addr) != 1) {
        return;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0) {
        ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        ::close(fd);
    }
}

int MetricsServer::Begin(mg_connection* connection) {
    const auto* self =
        static_cast<const MetricsServer*>(mg_get_user_data(mg_get_context(connection)));
    return self->Serve(connection);
}

int MetricsServer::Log(const mg_connection* connection, const char* message) {
    // Messages of the start come without a connection; mg_start2 reports them.
    const mg_context* context = connection != nullptr ? mg_get_context(connection) : nullptr;
    auto* self =
        static_cast<MetricsServer*>(context != nullptr ? mg_get_user_data(context) : nullptr);
    if (self != nullptr && self->starting_) {
        if (self->startMessage_.empty()) {
            self->startMessage_ = message;
        }
    } else if (self != nullptr && self->log_) {
        self->log_(message);
    }
    return 1;
}

int MetricsServer::Serve(mg_connection* connection) const {
    const mg_request_info* request = mg_get_request_info(connection);
    const std::string_view method = request->request_method;
    const std::string_view path = request->local_uri_raw != nullptr ? request->local_uri_raw : "";
    const bool head = method == "HEAD";
    if (method != "GET" && !head) {
        Respond(connection, 405, kTextType, "Method Not Allowed\n", head, "GET, HEAD");
        return 405;
    }
    if (path == "/metrics") {
        Respond(connection, 200, ExpositionText::kContentType, render_(), head);
        return 200;
    }
    if (path == "/-/healthy") {
        Respond(connection, 200, kTextType, "Healthy\n", head);
        return 200;
    }
    if (path == "/") {
        Respond(connection, 200, "text/html; charset=utf-8",
                "<!DOCTYPE html>\n<html><head><title>" + title_ + "</title></head>\n<body><h1>" +
                    title_ + "</h1>\n<p><a href=\"/metrics\">Metrics</a></p></body></html>\n",
                head);
        return 200;
    }
    Respond(connection, 404, kTextType, "Not Found\n", head);
    return 404;
}

} // namespace metrics
