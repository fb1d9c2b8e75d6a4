// The simulated WIZnet module: search answers over UDP.
#include "sim/SimModule.h"
#include "sim/SimUnit.h"
#include "tests/sim/RawClient.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace std::string_literals;

namespace {

// The value of `code` from the answer's lines, or "<none>".
std::string Line(const std::string& answer, const std::string& code) {
    const std::size_t at = answer.find("\r\n" + code);
    return at == std::string::npos ? "<none>"
                                   : answer.substr(at + 4, answer.find("\r\n", at + 4) - at - 4);
}

} // namespace

// A module of its own and two units' modules share the port; each answers a
// broadcast search from its own address.
TEST(SimModule, BroadcastSearchIsAnsweredByEveryModuleOnThePort) {
    constexpr std::uint16_t kPort = 53301;
    sim::SimModule module({.address = "127.33.0.1",
                           .mac = {0x00, 0x08, 0xDC, 0x12, 0x34, 0x56},
                           .discoveryPort = kPort,
                           .state = {}});
    ASSERT_TRUE(module.Start()) << module.Error();
    std::vector<std::unique_ptr<sim::SimUnit>> units;
    for (const char* address : {"127.33.1.1", "127.33.1.2"}) {
        units.push_back(std::make_unique<sim::SimUnit>(
            sim::UnitConfig{.address = address, .module = true, .discoveryPort = kPort}));
        ASSERT_TRUE(units.back()->Start()) << units.back()->Error();
    }
    simtest::RawClient client;
    ASSERT_TRUE(client.Connect("127.33.1.2"));
    ASSERT_TRUE(units[1]->WaitForConnections(1, 1000));

    QUdpSocket searcher;
    ASSERT_TRUE(searcher.bind(QHostAddress::AnyIPv4, 0));
    const simtest::Bytes request = sim::MakeSearchRequest();
    ASSERT_EQ(searcher.writeDatagram(QByteArray(reinterpret_cast<const char*>(request.data()),
                                                static_cast<qsizetype>(request.size())),
                                     QHostAddress("127.255.255.255"), kPort),
              static_cast<qint64>(request.size()));
    std::map<std::string, std::string> answers; // by sender
    while (answers.size() < 3 && searcher.waitForReadyRead(2000)) {
        while (searcher.hasPendingDatagrams()) {
            const QNetworkDatagram d = searcher.receiveDatagram();
            answers[d.senderAddress().toString().toStdString()] = d.data().toStdString();
        }
    }
    ASSERT_EQ(answers.size(), 3u);
    for (const auto& [from, answer] : answers) {
        SCOPED_TRACE(from);
        EXPECT_EQ(Line(answer, "LI"), from);
        EXPECT_EQ(Line(answer, "ST"), from == "127.33.1.2" ? "CONNECTED" : "OPEN");
        // A line per requested code, each a code, its value and CR LF; the first LI is the address.
        EXPECT_EQ(std::count(answer.begin(), answer.end(), '\n'), 43);
        EXPECT_EQ(answer.substr(answer.size() - 2), "\r\n");
        EXPECT_EQ(answer.find("LI", 8), answer.find("\r\nLI") + 2);
    }
    EXPECT_EQ(answers["127.33.0.1"].substr(0, 8), "MA\x00\x08\xDC\x12\x34\x56"s);
    EXPECT_EQ(answers["127.33.1.1"].substr(0, 8), "MA\x00\x08\xDC\x21\x01\x01"s);
    EXPECT_EQ(module.Searches(), 1);
    EXPECT_TRUE(module.WaitForAnswers(1, 1000));
    EXPECT_EQ(units[0]->ModuleSearches(), 1);
}
