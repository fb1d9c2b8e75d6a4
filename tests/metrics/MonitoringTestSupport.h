// What the monitoring tests share: plain HTTP, the exposition text read back
// into series, programs run in the background, and a real Prometheus
// (Debian's) with the shipped alert rules.
#pragma once

#include <QJsonArray>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace montest {

struct HttpReply {
    int status = 0; // 0 when no status line came
    std::string body;
};

// Sends `request` as it is and reads the answer until the server closes.
HttpReply HttpExchange(const std::string& address, int port, const std::string& request);
HttpReply HttpGet(const std::string& address, int port, const std::string& target);

// Series of an exposition text, "name{label="value",...}" as written, to value.
std::map<std::string, double> Series(const std::string& exposition);

// Polls `condition` every 50 ms until it holds or `timeout` passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// A program run in the background until Stop or the object's end; its
// standard error goes to `errorFile`.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& errorFile = "/dev/null");
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // SIGTERM (SIGKILL after 5 s); the exit status, -1 when it did not exit by itself.
    int Stop();

private:
    pid_t pid_ = -1;
};

// promtool's exit status for `args` with `input` on its standard input; what
// it printed in `output`.
int Promtool(const std::string& args, const std::string& input, std::string& output);

// Prometheus on `address`:9090 scraping `target` (job "tm80") and evaluating
// the shipped alert rules, with every "for:" cut to 1 s, every 500 ms; its
// files in `folder`.
class Prometheus {
public:
    Prometheus(const std::string& folder, const std::string& address, const std::string& target);
    // Whether it answers /-/ready (waits up to 30 s).
    bool Ready();
    // The result vector of an instant query; empty on any error.
    QJsonArray Query(const std::string& expression);
    // The value of the one series `expression` gives, or NaN.
    double Value(const std::string& expression);
    // Whether `alert` fires (for `unit`, unless that is empty).
    bool Firing(const std::string& alert, const std::string& unit = {});

private:
    std::string address_;
    std::unique_ptr<ChildProcess> process_;
};

} // namespace montest
