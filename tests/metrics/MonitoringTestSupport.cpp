#include "tests/metrics/MonitoringTestSupport.h"

#include <QJsonDocument>

#include <arpa/inet.h>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace montest {

namespace {

using Clock = std::chrono::steady_clock;

std::string PercentEncoded(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) != 0 || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    return argv;
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

// Whether `answer` holds its headers and as many body bytes as they announce.
bool Complete(const std::string& answer) {
    const std::size_t end = answer.find("\r\n\r\n");
    if (end == std::string::npos) {
        return false;
    }
    std::string headers = answer.substr(0, end);
    for (char& c : headers) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const std::size_t length = headers.find("\r\ncontent-length:");
    return length != std::string::npos &&
           answer.size() - end - 4 >= std::strtoul(headers.c_str() + length + 17, nullptr, 10);
}

} // namespace

HttpReply HttpExchange(const std::string& address, int port, const std::string& request) {
    HttpReply reply;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1) {
        return reply;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ||
        ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) < 0) {
        ::close(fd);
        return reply;
    }
    std::string answer;
    const auto until = Clock::now() + std::chrono::seconds(15);
    char buffer[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
        // Done once the body is whole: a server may go on reading (and
        // dropping) what the request announced before it closes.
        if (Complete(answer)) {
            break;
        }
    }
    ::close(fd);
    if (answer.rfind("HTTP/", 0) == 0 && answer.size() > 12) {
        reply.status = std::atoi(answer.c_str() + answer.find(' ') + 1);
    }
    const std::size_t end = answer.find("\r\n\r\n");
    if (end != std::string::npos) {
        reply.body = answer.substr(end + 4);
    }
    return reply;
}

HttpReply HttpGet(const std::string& address, int port, const std::string& target) {
    return HttpExchange(address, port, "GET " + target + " HTTP/1.0\r\n\r\n");
}

std::map<std::string, double> Series(const std::string& exposition) {
    std::map<std::string, double> series;
    std::size_t start = 0;
    while (start < exposition.size()) {
        std::size_t end = exposition.find('\n', start);
        if (end == std::string::npos) {
            end = exposition.size();
        }
        const std::string line = exposition.substr(start, end - start);
        start = end + 1;
        const std::size_t space = line.rfind(' ');
        if (line.empty() || line[0] == '#' || space == std::string::npos) {
            continue;
        }
        series[line.substr(0, space)] = std::strtod(line.c_str() + space + 1, nullptr);
    }
    return series;
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& errorFile) {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv = Argv(all);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    if (posix_spawnp(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    Stop();
}

int ChildProcess::Stop() {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > until) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
    return status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

int Promtool(const std::vector<std::string>& args, const std::string& input, std::string& output) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
        return -1;
    }
    std::vector<std::string> all{"promtool"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv = Argv(all);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    pid_t pid = -1;
    const bool spawned =
        posix_spawnp(&pid, "promtool", &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    // promtool reads all of its input before it writes; small inputs fit the pipe anyway.
    std::thread writer([&] {
        const char* p = input.data();
        std::size_t left = input.size();
        while (left > 0) {
            const ssize_t n = ::write(in[1], p, left);
            if (n <= 0) {
                break;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::close(in[1]);
    });
    output = ReadAll(out[0]);
    writer.join();
    int status = -1;
    if (spawned) {
        ::waitpid(pid, &status, 0);
    }
    return spawned && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Prometheus::Prometheus(const std::string& folder, const std::string& address,
                       const std::vector<std::string>& targets, const std::string& rulesFile)
    : address_(address) {
    std::ofstream config(folder + "/prometheus.yml");
    config << "global:\n  scrape_interval: 500ms\n  scrape_timeout: 400ms\n"
              "  evaluation_interval: 500ms\n";
    if (!rulesFile.empty()) {
        config << "rule_files:\n  - " << rulesFile << "\n";
    }
    config << "scrape_configs:\n  - job_name: tm80\n    static_configs:\n      - targets:\n";
    for (const std::string& target : targets) {
        config << "          - " << target << "\n";
    }
    config.close();
    process_ = std::make_unique<ChildProcess>(
        "prometheus",
        std::vector<std::string>{"--config.file=" + folder + "/prometheus.yml",
                                 "--storage.tsdb.path=" + folder + "/data",
                                 "--web.listen-address=" + address + ":9090", "--log.level=warn"},
        folder + "/prometheus.log");
}

bool Prometheus::Ready() {
    return process_->Running() &&
           WaitFor([this] { return HttpGet(address_, 9090, "/-/ready").status == 200; },
                   std::chrono::seconds(30));
}

QJsonObject Prometheus::Api(const std::string& target) {
    const HttpReply reply = HttpGet(address_, 9090, target);
    return QJsonDocument::fromJson(QByteArray::fromStdString(reply.body)).object();
}

QJsonArray Prometheus::Query(const std::string& expression) {
    return Api("/api/v1/query?query=" + PercentEncoded(expression))["data"]
        .toObject()["result"]
        .toArray();
}

double Prometheus::Value(const std::string& expression) {
    const QJsonArray result = Query(expression);
    if (result.size() != 1) {
        return std::nan("");
    }
    return result[0].toObject()["value"].toArray()[1].toString().toDouble();
}

QJsonArray Prometheus::Alerts() {
    return Api("/api/v1/alerts")["data"].toObject()["alerts"].toArray();
}

bool Prometheus::Firing(const std::string& alert, const std::string& unit) {
    for (const auto& a : Alerts()) {
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
