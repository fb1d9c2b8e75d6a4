#include "tests/metrics/MonitoringTestSupport.h"

#include "tests/infra/TempFolder.h"
#include "tests/sim/RawClient.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace montest {

namespace {

using Clock = std::chrono::steady_clock;

std::string PercentEncoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        out += std::isalnum(c) != 0 ? std::string(1, static_cast<char>(c)) : hex;
    }
    return out;
}

QJsonObject Api(const std::string& address, const std::string& target) {
    const HttpReply reply = HttpGet(address, 9090, target);
    return QJsonDocument::fromJson(QByteArray::fromStdString(reply.body))
        .object()["data"]
        .toObject();
}

} // namespace

HttpReply HttpExchange(const std::string& address, int port, const std::string& request) {
    simtest::RawClient client;
    HttpReply reply;
    if (!client.Connect(address, static_cast<std::uint16_t>(port)) ||
        !client.Send(simtest::Bytes(request.begin(), request.end()))) {
        return reply;
    }
    const simtest::Bytes bytes = client.Receive(std::size_t{1} << 24, 15000);
    const std::string answer(bytes.begin(), bytes.end());
    if (answer.rfind("HTTP/", 0) == 0) {
        reply.status = std::atoi(answer.c_str() + answer.find(' ') + 1);
    }
    const std::size_t end = answer.find("\r\n\r\n");
    reply.body = end != std::string::npos ? answer.substr(end + 4) : "";
    return reply;
}

HttpReply HttpGet(const std::string& address, int port, const std::string& target) {
    return HttpExchange(address, port, "GET " + target + " HTTP/1.0\r\n\r\n");
}

std::map<std::string, double> Series(const std::string& exposition) {
    std::map<std::string, double> series;
    std::istringstream lines(exposition);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t space = line.rfind(' ');
        if (!line.empty() && line[0] != '#' && space != std::string::npos) {
            series[line.substr(0, space)] = std::strtod(line.c_str() + space + 1, nullptr);
        }
    }
    return series;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& errorFile) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) {
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

int ChildProcess::Stop() {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    const bool ended =
        WaitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, std::chrono::seconds(5));
    if (!ended) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Promtool(const std::string& args, const std::string& input, std::string& output) {
    TempFolder folder;
    WriteFile(folder / "input", input);
    const int status = std::system(
        ("promtool " + args + " <'" + folder / "input" + "' >'" + folder / "output" + "' 2>&1")
            .c_str());
    output = ReadFile(folder / "output");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Prometheus::Prometheus(const std::string& folder, const std::string& address,
                       const std::string& target)
    : address_(address) {
    WriteFile(folder + "/rules.yml",
              std::regex_replace(ReadFile(TM80_PACKAGING_DIR "/prometheus/tm80-alerts.yml"),
                                 std::regex("for: \\w+"), "for: 1s"));
    WriteFile(
        folder + "/prometheus.yml",
        "global: {scrape_interval: 500ms, scrape_timeout: 400ms, evaluation_interval: 500ms}\n"
        "rule_files: [" +
            folder +
            "/rules.yml]\n"
            "scrape_configs: [{job_name: tm80, static_configs: [{targets: [" +
            target + "]}]}]\n");
    process_ = std::make_unique<ChildProcess>(
        "prometheus",
        std::vector<std::string>{"--config.file=" + folder + "/prometheus.yml",
                                 "--storage.tsdb.path=" + folder + "/data",
                                 "--web.listen-address=" + address + ":9090", "--log.level=warn"},
        folder + "/prometheus.log");
}

bool Prometheus::Ready() {
    return WaitFor([this] { return HttpGet(address_, 9090, "/-/ready").status == 200; },
                   std::chrono::seconds(30));
}

QJsonArray Prometheus::Query(const std::string& expression) {
    return Api(address_, "/api/v1/query?query=" + PercentEncoded(expression))["result"].toArray();
}

double Prometheus::Value(const std::string& expression) {
    const QJsonArray result = Query(expression);
    return result.size() == 1 ? result[0].toObject()["value"].toArray()[1].toString().toDouble()
                              : std::nan("");
}

bool Prometheus::Firing(const std::string& alert, const std::string& unit) {
    for (const auto& a : Api(address_, "/api/v1/alerts")["alerts"].toArray()) {
        const QJsonObject labels = a.toObject()["labels"].toObject();
        if (labels["alertname"].toString().toStdString() == alert &&
            (unit.empty() || labels["unit"].toString().toStdString() == unit) &&
            a.toObject()["state"].toString() == "firing") {
            return true;
        }
    }
    return false;
}

} // namespace montest
