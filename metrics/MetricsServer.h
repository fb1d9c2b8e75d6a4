// The HTTP side of the metrics, on CivetWeb (Debian's libcivetweb). CivetWeb
// answers on threads of its own, so a scrape waits neither on a unit nor on
// the application's window, and a request reaches nothing but the render
// function:
//   /           a short HTML page with a link to /metrics
//   /metrics    the exposition text
//   /-/healthy  200 "Healthy"
// GET and HEAD only (405 with "Allow" otherwise); any other path 404. No
// files are served. Requests CivetWeb cannot read (malformed, too large, cut
// short) get its own error status.
#pragma once

#include <functional>
#include <string>
#include <string_view>

struct mg_connection;
struct mg_context;

namespace metrics {

class MetricsServer {
public:
    using RenderFunction = std::function<std::string()>;
    using LogFunction = std::function<void(std::string_view)>;

    // `render` gives the exposition text, called on CivetWeb's threads;
    // `title` (plain text) heads the page at /; CivetWeb's own messages go to
    // `log`.
    MetricsServer(RenderFunction render, std::string title, LogFunction log);
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Listens on `listenAddress` ("HOST:PORT", or ":PORT" for every IPv4
    // address) and serves until Stop. False, with Error(), when the address
    // does not read or cannot be listened on.
    bool Start(const std::string& listenAddress);
    // Returns once every request being served has ended.
    void Stop();
    const std::string& Error() const { return error_; }

    // CivetWeb's "listening_ports" value of `listenAddress`; empty when it is
    // not "HOST:PORT" with a dotted IPv4 HOST (or none) and a port 1..65535.
    static std::string ListeningPort(const std::string& listenAddress);

private:
    static int Begin(mg_connection* connection);
    static int Log(const mg_connection* connection, const char* message);
    int Serve(mg_connection* connection) const;
    // Connects to the listening socket, so that CivetWeb looks at its stop flag.
    void WakeListener() const;

    RenderFunction render_;
    std::string title_;
    LogFunction log_;
    std::string error_;
    mg_context* context_ = nullptr;
    bool starting_ = false;
    std::string startMessage_; // CivetWeb's first message while it starts
    std::string host_;         // as listened on; empty for every address
    int port_ = 0;
};

} // namespace metrics
