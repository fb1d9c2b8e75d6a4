// The simulated unit's answers, state and faults and its module's search
// answers, seen through raw sockets; the tm80sim program's options and lines.
#include "sim/SimModule.h"
#include "tests/device/PrivateNamespace.h"
#include "tests/sim/RawClient.h"
#include "tests/sim/SimTestUnit.h"

#include <QNetworkDatagram>
#include <QProcess>
#include <QUdpSocket>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <set>
#include <thread>
#include <tuple>

using simtest::Bytes;
using simtest::Frame;
using Clock = std::chrono::steady_clock;
using namespace std::literals;

namespace {

Bytes Payload(const Bytes& reply) {
    return Bytes(reply.begin() + std::min<std::size_t>(6, reply.size()), reply.end());
}

// A started unit with a client connected to it.
class SimUnitTest : public ::testing::Test {
protected:
    void SetUp() override {
        unit = simtest::StartUnit(31, simtest::CurrentTestName(), {.note = "BENCH 7"});
        ASSERT_NE(unit, nullptr);
        ASSERT_TRUE(client.Connect(unit->Config().address));
    }
    Bytes Ask(std::uint16_t command, const Bytes& request, std::size_t length) {
        return Payload(client.Exchange(command, request, length));
    }
    std::unique_ptr<sim::SimUnit> unit;
    simtest::RawClient client;
};

Bytes Head(const Bytes& b, std::size_t n = 6) {
    return Bytes(b.begin(), b.begin() + std::min(n, b.size()));
}

int Word(const Bytes& payload, int w) {
    return payload.at(2 * w) | payload.at(2 * w + 1) << 8;
}

Bytes Padded(std::string text, std::size_t n) {
    text.resize(n);
    return Bytes(text.begin(), text.end());
}

const Bytes kIdentity =
    Frame(0x2001, {'8', '0', 'M', '1', 0x00, 0xAB, 0, 17, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0});

// Whether the module on `address` answers one search broadcast on `port`.
bool SearchAnsweredBy(std::uint16_t port, const char* address) {
    QUdpSocket searcher;
    const Bytes request = sim::MakeSearchRequest();
    const bool sent =
        searcher.bind(QHostAddress::AnyIPv4, 0) &&
        searcher.writeDatagram(reinterpret_cast<const char*>(request.data()), std::ssize(request),
                               QHostAddress("127.255.255.255"), port) > 0;
    while (sent && (searcher.hasPendingDatagrams() || searcher.waitForReadyRead(5000))) {
        if (searcher.receiveDatagram().senderAddress() == QHostAddress(address)) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(SimUnitTest, EveryCommandIsAnsweredWithItsReplyLength) {
    // A block the unit does not use (40) is still 64 words; an unknown command gets a
    // header with length 0.
    const std::tuple<std::uint16_t, Bytes, std::size_t> cases[] = {
        {0x1000, {3, 0xFE}, 0},  {0x1001, {0x06, 0, 0, 0, 0, 0}, 6},
        {0x1003, Bytes(17), 16}, {0x1004, Bytes(10), 0},
        {0x2001, {}, 20},        {0x2002, {}, 12},
        {0x2009, {40}, 128},     {0x3000, {1, 50, 0x20}, 0},
        {0x3001, {0x28}, 1},     {0x3002, {0x20}, 0},
        {0x4000, {}, 10},        {0x4004, {}, 10},
        {0x7777, {1, 2, 3}, 0}};
    for (const auto& [command, payload, length] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << command);
        const Bytes reply = client.Exchange(command, payload, length);
        ASSERT_EQ(reply.size(), 6 + length);
        EXPECT_EQ(Head(reply), Head(Frame(command, Bytes(length))));
        EXPECT_TRUE(client.Receive(1, 50).empty()) << "more bytes than the reply length";
    }
    // The type query: six 0 bytes in, 16 00 00 00 00 00 out.
    ASSERT_TRUE(client.Send(Bytes(6, 0)));
    EXPECT_EQ(client.Receive(6, 1000), (Bytes{0x16, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(unit->WaitForFrames(std::size(cases) + 1, 1000));
    EXPECT_EQ(unit->Frames()[0].bytes, (Bytes{0x16, 0, 0, 0x10, 2, 0, 3, 0xFE}));
    EXPECT_EQ(unit->LedFlashes(), 1);
}

TEST_F(SimUnitTest, IdentityBlocksNoteAndCalibrationHoldTheUnitsValues) {
    EXPECT_EQ(client.Exchange(0x2001, {}, 20), kIdentity);
    const Bytes b0 = Ask(0x2009, {0}, 128);
    EXPECT_EQ((std::vector{Word(b0, 0), Word(b0, 2), Word(b0, 3), Word(b0, 50) & 1}),
              (std::vector{0, 14350, 15350, 1}));   // band 0 absent
    EXPECT_EQ(Word(Ask(0x2009, {2}, 128), 0), 'T'); // one character per word
    EXPECT_EQ(Word(Ask(0x2009, {10}, 128), 0), 'C');
    EXPECT_NE(Word(Ask(0x2009, {11}, 128), 32), 0);
    // The outputs start spread over the bands, not all on one.
    const Bytes bands = Ask(0x4004, {}, 10);
    ASSERT_EQ(bands.size(), 10u);
    EXPECT_GT(std::set<std::uint8_t>(bands.begin() + 2, bands.end()).size(), 1u);
    // Calibration (12, 13) and reference (14, 15): four rows of ten channels per block.
    for (std::uint8_t block = 12; block <= 15; ++block) {
        const Bytes b = Ask(0x2009, {block}, 128);
        for (int r = 0, band = (block % 2) * 4; r < 4; ++r, ++band) {
            for (int c = 0; c < 10; ++c) {
                EXPECT_EQ(Word(b, 16 * r + c),
                          block < 14 ? unit->Calibration(band, c) : unit->Reference(band, c));
            }
            EXPECT_EQ(Word(b, 16 * r + 10), 0);
        }
    }

    EXPECT_EQ(Ask(0x1003, Bytes(17, 0), 16), Padded("BENCH 7", 16));
    const std::string note = "RACK 2 LEFT ANT5"; // all 16 characters
    EXPECT_EQ(Ask(0x1003, Padded("\x80" + note, 17), 16), Padded(note, 16));
    EXPECT_EQ(unit->Note(), note);
    // Block 1 holds it from word 16, two characters a word, the first in the high byte.
    const Bytes b1 = Ask(0x2009, {1}, 128);
    std::string fromBlock;
    for (int k = 16; k < 24; ++k) {
        fromBlock += {static_cast<char>(Word(b1, k) >> 8), static_cast<char>(Word(b1, k))};
    }
    EXPECT_EQ(fromBlock, note);

    // Calibration writes, the band selection and a factory reset of one band.
    const int factory2 = unit->Calibration(2, 4);
    Ask(0x3000, {4, 99, 0x20}, 0);
    Ask(0x3000, {4, 98, 0x10}, 0);
    Ask(0x3002, {0x20}, 0); // only band 2 goes back to the factory values
    EXPECT_EQ(unit->Calibration(2, 4), factory2);
    EXPECT_EQ(unit->Calibration(1, 4), 98);
    EXPECT_EQ(unit->Calibration(1, 10), -1); // past the last channel
    EXPECT_EQ(Ask(0x3001, {0x39}, 1), Bytes{0x31});
    EXPECT_EQ(Ask(0x3001, {0x00}, 1), Bytes{0x31}); // without bit 3 it only reports
}

TEST_F(SimUnitTest, FramesSplitAcrossSegmentsAndJoinedInOne) {
    for (std::uint8_t b : Frame(0x2009, {12})) {
        ASSERT_TRUE(client.Send({b}));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(client.Receive(134, 1000).size(), 134u);
    // Two requests in one segment: two replies, in order.
    Bytes two = Frame(0x2001);
    const Bytes second = Frame(0x4000);
    two.insert(two.end(), second.begin(), second.end());
    ASSERT_TRUE(client.Send(two));
    const Bytes replies = client.Receive(26 + 16, 1000);
    ASSERT_EQ(replies.size(), 42u);
    EXPECT_EQ(Head(replies), Head(Frame(0x2001, Bytes(20))));
    EXPECT_EQ(Head(Bytes(replies.begin() + 26, replies.end())), Head(Frame(0x4000, Bytes(10))));
}

TEST_F(SimUnitTest, RepliesUnderEachFault) {
    struct Case {
        sim::Fault fault;
        int param;
        std::size_t length;                   // bytes of the identity reply that come
        bool identity;                        // whether they are the identity's
        std::chrono::milliseconds first, all; // at least this late: the first byte, the last
    };
    const Case cases[] = {{sim::Fault::None, 0, 26, true, 0ms, 0ms},
                          {sim::Fault::Silent, 0, 0, true, 0ms, 0ms},
                          {sim::Fault::HeaderOnly, 0, 6, true, 0ms, 0ms},
                          {sim::Fault::Garbage, 0, 26, false, 0ms, 0ms},
                          {sim::Fault::SlowBytes, 20, 26, true, 15ms, 26 * 20ms - 40ms},
                          {sim::Fault::DelayedReply, 300, 26, true, 280ms, 280ms}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        unit->SetFault(c.fault, c.param);
        const auto start = Clock::now();
        ASSERT_TRUE(client.Send(Frame(0x2001)));
        const int wait = c.length == 26 ? 3000 : 400;
        Bytes reply = client.Receive(1, wait);
        EXPECT_GE(Clock::now() - start, c.first);
        const Bytes rest = client.Receive(25, wait);
        EXPECT_GE(Clock::now() - start, c.all);
        reply.insert(reply.end(), rest.begin(), rest.end());
        ASSERT_EQ(reply.size(), c.length);
        EXPECT_TRUE(client.Receive(1, 50).empty());
        EXPECT_EQ(reply == Head(kIdentity, c.length), c.identity);
    }
    EXPECT_FALSE(client.PeerClosed());
    EXPECT_EQ(unit->Frames().size(), std::size(cases)); // every frame is recorded
}

TEST_F(SimUnitTest, NotListeningRefusesUntilClearedCloseAfterFramesAndReset) {
    ASSERT_TRUE(unit->WaitForConnections(1, 1000)); // accepted before the listener goes
    unit->SetFault(sim::Fault::NotListening);
    simtest::RawClient refused;
    EXPECT_FALSE(refused.Connect(unit->Config().address));
    EXPECT_EQ(refused.LastError(), ECONNREFUSED);
    EXPECT_EQ(client.Exchange(0x4004, {}, 10).size(), 16u) << "open connections stay served";
    unit->SetFault(sim::Fault::None);
    ASSERT_TRUE(refused.Connect(unit->Config().address));
    EXPECT_EQ(refused.Exchange(0x4004, {}, 10).size(), 16u);
    EXPECT_EQ(unit->OpenConnections(), 2);
    // Woken, then idle: the unit's thread sleeps. A thread spinning instead gets
    // more than a twentieth of a core even beside a dozen busy test programs.
    const std::clock_t idle = std::clock();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(std::clock() - idle, CLOCKS_PER_SEC / 20) << "CPU time while idle";

    // Closing after a connection's second frame, then a reset that aborts the connection.
    ASSERT_TRUE(client.Connect(unit->Config().address));
    unit->SetFault(sim::Fault::CloseAfterFrames, 2);
    EXPECT_EQ(client.Exchange(0x4000, {}, 10).size(), 16u);
    EXPECT_EQ(client.Exchange(0x4000, {}, 10).size(), 16u);
    EXPECT_TRUE(client.Receive(1, 1000).empty());
    EXPECT_TRUE(client.PeerClosed());
    // A new connection is answered again.
    ASSERT_TRUE(client.Connect(unit->Config().address));
    EXPECT_EQ(client.Exchange(0x4000, {}, 10).size(), 16u);
    unit->SetFault(sim::Fault::Reset);
    ASSERT_TRUE(client.Send(Frame(0x1003, Bytes(17, 0))));
    EXPECT_TRUE(client.Receive(22, 1000).empty());
    EXPECT_EQ(client.LastError(), ECONNRESET);
}

// Answers go to loopback only; a search from 0.0.0.0 came from this host.
TEST(SimModule, AnswersGoToLoopbackOnly) {
    const struct {
        std::uint32_t source;
        std::optional<std::uint32_t> answerTo;
    } rows[] = {{0x00000000, 0x7F000001},
                {0x7F000001, 0x7F000001},
                {0x7FFFFFFE, 0x7FFFFFFE},
                {0x01020304, std::nullopt},
                {0x80000001, std::nullopt}};
    for (const auto& row : rows) {
        EXPECT_EQ(sim::AnswerAddress(row.source), row.answerTo) << std::hex << row.source;
    }
}

TEST(Tm80sim, RunsUnitsUntilTerminated) {
    QProcess sim; // killed when the test stops early
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.start(TM80SIM_PATH, {"--no-module", "--unit", "127.34.0.1", "--model", "80C2", "--note",
                             "RACK B", "--fault", "DelayedReply=50", "--temperature", "-56",
                             "--module", "--unit", "127.34.0.2"});
    for (const char* line : {"127.34.0.1:5000  80M1  00AB-1001  \"UNIT 1\"  (no module)\n",
                             "127.34.0.2:5000  80C2  00AB-1002  \"RACK B\"\n"}) {
        while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {
        }
        EXPECT_EQ(sim.readLine().toStdString(), line);
    }
    // The module answers a search on the default discovery port.
    EXPECT_TRUE(SearchAnsweredBy(50001, "127.34.0.2"));
    simtest::RawClient client, second;
    ASSERT_TRUE(client.Connect("127.34.0.2"));
    ASSERT_TRUE(second.Connect("127.34.0.2"));
    EXPECT_EQ(Head(Payload(client.Exchange(0x2001, {}, 20)), 4), (Bytes{'8', '0', 'C', '2'}));
    EXPECT_EQ(Word(Payload(second.Exchange(0x2009, {0}, 128)), 0), 22000); // its bands
    // The fixed temperature does not drift: byte 8 of the status, signed.
    for (int read = 0; read < 3; ++read) {
        EXPECT_EQ(static_cast<std::int8_t>(Payload(client.Exchange(0x2002, {}, 12)).at(8)), -56);
    }
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(sim.exitCode(), 0);
}

TEST(Tm80sim, RejectsBadOptions) {
    // In a network namespace of its own with no interface up: the refused
    // address outside loopback could not be reached even if tm80sim tried.
    if (nstest::RanInPrivateNamespace("")) {
        return;
    }
    const std::pair<QStringList, const char*> cases[] = {
        {{}, "no --unit given"},
        {{"--unit", "10.1.2.3"}, "--unit needs a loopback address"},
        {{"--fault", "Sideways"}, "unknown fault: Sideways"},
        {{"--fault", "SlowBytes"}, "fault SlowBytes needs a parameter: SlowBytes=MS"},
        {{"--fault", "CloseAfterFrames="}, "bad parameter of fault CloseAfterFrames"},
        {{"--fault", "Silent=3"}, "fault Silent takes no parameter"},
        {{"--module-fault", "UnitType=XYZ"}, "bad parameter of module fault UnitType: \"XYZ\""},
        {{"--module-fault", "DelayedAnswer"}, "module fault DelayedAnswer needs a parameter"},
        {{"--model", "80X9"}, "--model takes 80M1 or 80C2"},
        {{"--discovery-port", "70000"}, "--discovery-port takes a port number"},
        {{"--temperature", "128"}, "--temperature takes degrees C, -128..127"},
    };
    for (auto [args, says] : cases) {
        if (!args.empty() && args[0] != "--unit") {
            args.append({"--unit", "127.34.0.3"});
        }
        QProcess sim;
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.start(TM80SIM_PATH, args);
        ASSERT_TRUE(sim.waitForFinished(5000));
        const std::string out = sim.readAll().toStdString();
        EXPECT_EQ(out.rfind(std::string("tm80sim: ") + says, 0), 0u) << out;
        EXPECT_EQ(sim.exitCode(), 2) << says;
    }
}
