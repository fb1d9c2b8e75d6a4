// What the monitoring tests share: plain HTTP, the exposition text read back
// into series, programs run in the background, and a real Prometheus
// (Debian's) with the shipped alert rules.
#pragma once

#include "tests/infra/TempFolder.h"
#include "tests/sim/RawClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace montest {

struct HttpReply {
    int status = 0; // 0 when no status line came
    std::string body;
};

// Sends `request` as it is and reads the answer until the server closes.
inline HttpReply HttpExchange(const std::string& address, int port, const std::string& request) {
    simtest::RawClient client;
    if (!client.Connect(address, static_cast<std::uint16_t>(port)) ||
        !client.Send(simtest::Bytes(request.begin(), request.end()))) {
        return {};
    }
    const simtest::Bytes bytes = client.Receive(std::size_t{1} << 24, 15000);
    const std::string answer(bytes.begin(), bytes.end());
    const std::size_t end = answer.find("\r\n\r\n");
    return {answer.starts_with("HTTP/") ? std::atoi(answer.c_str() + answer.find(' ') + 1) : 0,
            end != std::string::npos ? answer.substr(end + 4) : ""};
}

inline HttpReply HttpGet(const std::string& address, int port, const std::string& target) {
    return HttpExchange(address, port, "GET " + target + " HTTP/1.0\r\n\r\n");
}

// Series of an exposition text, "name{label="value",...}" as written, to value.
inline std::map<std::string, double> Series(const std::string& exposition) {
    std::map<std::string, double> series;
    std::istringstream lines(exposition);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t space = line.rfind(' ');
        if (!line.starts_with('#') && space != std::string::npos) {
            series[line.substr(0, space)] = std::strtod(line.c_str() + space + 1, nullptr);
        }
    }
    return series;
}

// Polls `condition` every 50 ms until it holds or `timeout` passes.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    for (const auto until = std::chrono::steady_clock::now() + timeout; !condition();) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// A program run in the background until Stop or the object's end; its
// standard error goes to `errorFile`.
class ChildProcess {
public:
    ChildProcess(const std::string& program, std::vector<std::string> args,
                 const std::string& errorFile = "/dev/null") {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT, 0644);
        if (posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }
    // SIGTERM (SIGKILL after 5 s); the exit status, -1 when it did not exit by itself.
    int Stop() {
        int status = 0;
        const bool ended = pid_ > 0 && ::kill(pid_, SIGTERM) == 0 &&
                           WaitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; },
                                   std::chrono::seconds(5));
        if (pid_ > 0 && !ended) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
};

// Prometheus on `address`:9090 scraping `target` (job "tm80") and evaluating
// the shipped alert rules, with every "for:" cut to 1 s, every 500 ms; its
// files in `folder`.
class Prometheus {
public:
    Prometheus(const std::string& folder, const std::string& address, const std::string& target)
        : address_(address),
          process_("prometheus", Configured(folder, address, target), folder + "/prometheus.log") {}
    // Whether it answers /-/ready (waits up to 30 s).
    bool Ready() {
        return WaitFor([this] { return HttpGet(address_, 9090, "/-/ready").status == 200; },
                       std::chrono::seconds(30));
    }
    // The result vector of an instant query; empty on any error.
    QJsonArray Query(const std::string& expression) {
        const QByteArray query = QUrl::toPercentEncoding(QString::fromStdString(expression));
        const std::string body =
            HttpGet(address_, 9090, "/api/v1/query?query=" + query.toStdString()).body;
        return QJsonDocument::fromJson(QByteArray::fromStdString(body))["data"]["result"].toArray();
    }
    // The value of the one series `expression` gives, or NaN.
    double Value(const std::string& expression) {
        const QJsonArray result = Query(expression);
        return result.size() == 1 ? result[0]["value"][1].toString().toDouble() : std::nan("");
    }
    // Whether `alert` fires (for `unit`, unless that is empty).
    bool Firing(const std::string& alert, const std::string& unit = {}) {
        const std::string forUnit = unit.empty() ? "" : ",unit=\"" + unit + "\"";
        return !Query("ALERTS{alertstate=\"firing\",alertname=\"" + alert + "\"" + forUnit + "}")
                    .isEmpty();
    }

private:
    // Writes the configuration and the rules; the program's arguments.
    static std::vector<std::string>
    Configured(const std::string& folder, const std::string& address, const std::string& target) {
        WriteFile(folder + "/rules.yml",
                  std::regex_replace(ReadFile(TM80_PACKAGING_DIR "/prometheus/tm80-alerts.yml"),
                                     std::regex("for: \\w+"), "for: 1s"));
        // Rule files are found beside the configuration.
        WriteFile(folder + "/prometheus.yml",
                  "global: {scrape_interval: 500ms, scrape_timeout: 400ms, evaluation_interval: "
                  "500ms}\nrule_files: [rules.yml]\nscrape_configs: [{job_name: tm80, "
                  "static_configs: [{targets: [" +
                      target + "]}]}]\n");
        return {"--config.file=" + folder + "/prometheus.yml",
                "--storage.tsdb.path=" + folder + "/data",
                "--web.listen-address=" + address + ":9090", "--log.level=warn"};
    }

    std::string address_;
    ChildProcess process_;
};

} // namespace montest
