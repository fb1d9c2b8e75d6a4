// The simulated WIZnet module: search answers over UDP and their faults.
#include "sim/SimModule.h"
#include "sim/SimUnit.h"
#include "tests/sim/RawClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <map>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using simtest::Bytes;

namespace {

// A searcher's UDP socket that may send to 127.255.255.255.
class Searcher {
public:
    Searcher() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &one, sizeof one);
    }
    ~Searcher() { ::close(fd_); }
    Searcher(const Searcher&) = delete;
    Searcher& operator=(const Searcher&) = delete;

    bool Send(const Bytes& request, std::uint16_t port, const char* to = "127.255.255.255") {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        ::inet_pton(AF_INET, to, &a.sin_addr);
        return ::sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&a),
                        sizeof a) == static_cast<ssize_t>(request.size());
    }

    // One datagram within `timeoutMs`; empty when none came. `from` gets the sender.
    Bytes Receive(int timeoutMs, std::string* from = nullptr) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) {
            return {};
        }
        Bytes buffer(1500);
        sockaddr_in a{};
        socklen_t length = sizeof a;
        ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0,
                               reinterpret_cast<sockaddr*>(&a), &length);
        buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        if (from != nullptr) {
            char text[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
            *from = text;
        }
        return buffer;
    }

private:
    int fd_;
};

std::string Text(const Bytes& answer) {
    return std::string(answer.begin(), answer.end());
}

// The value of `code` from the answer's lines, or "<none>".
std::string Line(const Bytes& answer, const std::string& code) {
    std::string text = Text(answer);
    for (std::size_t pos = 10; pos < text.size();) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            break;
        }
        if (text.compare(pos, 2, code) == 0) {
            return text.substr(pos + 2, end - pos - 2);
        }
        pos = end + 2;
    }
    return "<none>";
}

sim::ModuleConfig Config(const std::string& address, std::uint16_t port) {
    sim::ModuleConfig c;
    c.address = address;
    c.mac = {0x00, 0x08, 0xDC, 0x12, 0x34, 0x56};
    c.discoveryPort = port;
    return c;
}

} // namespace

TEST(SimModule, BroadcastSearchIsAnsweredToTheSearcher) {
    sim::SimModule module(Config("127.33.0.1", 53301));
    ASSERT_TRUE(module.Start()) << module.Error();
    Searcher searcher;
    ASSERT_TRUE(searcher.Send(sim::MakeSearchRequest(), 53301));
    std::string from;
    Bytes answer = searcher.Receive(2000, &from);
    ASSERT_GT(answer.size(), 10u);
    EXPECT_EQ(from, "127.33.0.1");
    EXPECT_EQ(Text(answer).substr(0, 2), "MA");
    EXPECT_EQ(Bytes(answer.begin() + 2, answer.begin() + 8),
              (Bytes{0x00, 0x08, 0xDC, 0x12, 0x34, 0x56}));
    EXPECT_EQ(Line(answer, "LI"), "127.33.0.1");
    EXPECT_EQ(Line(answer, "ST"), "OPEN");
    // One line per requested code, each a code, its value and CR LF; the first LI is the address.
    std::string text = Text(answer).substr(10);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 42);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find("LI"), text.find("\r\nLI") + 2);
    EXPECT_EQ(module.Searches(), 1);
    EXPECT_TRUE(module.WaitForAnswers(1, 1000));
}

TEST(SimModule, UnitsShareThePortAndEachAnswers) {
    std::vector<std::unique_ptr<sim::SimUnit>> units;
    for (const char* address : {"127.33.1.1", "127.33.1.2"}) {
        sim::UnitConfig c;
        c.address = address;
        c.module = true;
        c.discoveryPort = 53305;
        units.push_back(std::make_unique<sim::SimUnit>(c));
        ASSERT_TRUE(units.back()->Start()) << units.back()->Error();
    }
    simtest::RawClient client;
    ASSERT_TRUE(client.Connect("127.33.1.2"));
    ASSERT_TRUE(units[1]->WaitForConnections(1, 1000));

    Searcher searcher;
    ASSERT_TRUE(searcher.Send(sim::MakeSearchRequest(), 53305));
    std::map<std::string, Bytes> answers;
    for (int i = 0; i < 2; ++i) {
        Bytes a = searcher.Receive(2000);
        answers[Line(a, "LI")] = a;
    }
    ASSERT_EQ(answers.size(), 2u);
    const Bytes& first = answers["127.33.1.1"];
    ASSERT_GT(first.size(), 10u);
    EXPECT_EQ(Bytes(first.begin() + 2, first.begin() + 8), (Bytes{0x00, 0x08, 0xDC, 33, 1, 1}));
    EXPECT_EQ(Line(first, "ST"), "OPEN");
    EXPECT_EQ(Line(answers["127.33.1.2"], "ST"), "CONNECTED");
    EXPECT_EQ(units[0]->ModuleSearches(), 1);
}
