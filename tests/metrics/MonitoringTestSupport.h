// What the monitoring tests share: plain HTTP requests, the exposition text
// read back into series, programs run as child processes, and a real
// Prometheus (Debian's) on a loopback address of the test's own.
#pragma once

#include <QJsonArray>
#include <QJsonObject>

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
// GET of `target` (path and query) with HTTP/1.0.
HttpReply HttpGet(const std::string& address, int port, const std::string& target);

// Series of an exposition text: "name{label="value",...}" (as written) to
// value; comment lines are left out.
std::map<std::string, double> Series(const std::string& exposition);

// A program run in the background until the object goes (SIGTERM, then
// SIGKILL after 5 s); its standard error goes to `errorFile` when one is given.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& errorFile = "/dev/null");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    // SIGTERM and the exit status (-1 when it did not exit by itself).
    int Stop();

private:
    pid_t pid_ = -1;
};

// Polls `condition` every 50 ms until it holds or `timeout` passes.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Runs promtool with `args` and `input` on its standard input; the exit
// status, and its output in `output`.
int Promtool(const std::vector<std::string>& args, const std::string& input, std::string& output);

// Prometheus scraping `targets` (job "tm80") every 500 ms, rules evaluated
// every 500 ms, its data in `folder`.
class Prometheus {
public:
    Prometheus(const std::string& folder, const std::string& address,
               const std::vector<std::string>& targets, const std::string& rulesFile = {});
    // Whether it answers /-/ready (waits up to 30 s for it).
    bool Ready();
    // The result vector of an instant query; empty on any error.
    QJsonArray Query(const std::string& expression);
    // The value of the one series `expression` gives, or NaN.
    double Value(const std::string& expression);
    // Active alerts: objects with labels, state ("pending", "firing").
    QJsonArray Alerts();
    bool Firing(const std::string& alert, const std::string& unit);

private:
    QJsonObject Api(const std::string& target);

    std::string address_;
    std::unique_ptr<ChildProcess> process_;
};

} // namespace montest
