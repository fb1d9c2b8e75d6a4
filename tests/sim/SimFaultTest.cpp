// Each fault of the simulated unit, as a client on the wire sees it.
#include "sim/SimUnit.h"
#include "tests/sim/RawClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

using simtest::Bytes;
using simtest::Frame;
using simtest::RawClient;
using Clock = std::chrono::steady_clock;

namespace {

std::unique_ptr<sim::SimUnit> StartUnit(const std::string& address) {
    sim::UnitConfig c;
    c.address = address;
    auto unit = std::make_unique<sim::SimUnit>(c);
    EXPECT_TRUE(unit->Start()) << unit->Error();
    return unit;
}

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

const Bytes kIdentity = {0x16, 0, 0x01, 0x20, 20, 0, '8', '0', 'M', '1', 0x00, 0xAB, 0, 17};

} // namespace

TEST(SimFault, RepliesUnderEachFault) {
    struct Case {
        sim::Fault fault;
        std::size_t length; // bytes of the identity reply that come
        bool identity;      // whether they are the identity
    };
    const Case cases[] = {{sim::Fault::None, 26, true},
                          {sim::Fault::Silent, 0, false},
                          {sim::Fault::HeaderOnly, 6, true},
                          {sim::Fault::Garbage, 26, false}};
    auto unit = StartUnit("127.32.0.1");
    RawClient client;
    ASSERT_TRUE(client.Connect("127.32.0.1"));
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        unit->SetFault(c.fault);
        ASSERT_TRUE(client.Send(Frame(0x2001)));
        Bytes reply = client.Receive(26, c.length == 26 ? 1000 : 400);
        ASSERT_EQ(reply.size(), c.length);
        EXPECT_TRUE(client.Receive(1, 50).empty());
        std::size_t compared = std::min(reply.size(), kIdentity.size());
        EXPECT_EQ(std::equal(reply.begin(), reply.begin() + compared, kIdentity.begin()),
                  c.identity || reply.empty());
    }
    EXPECT_FALSE(client.PeerClosed());
    EXPECT_EQ(unit->Frames().size(), 4u); // every frame is recorded
}

TEST(SimFault, SlowBytesSpreadsTheReply) {
    auto unit = StartUnit("127.32.0.3");
    unit->SetFault(sim::Fault::SlowBytes, 20);
    RawClient client;
    ASSERT_TRUE(client.Connect("127.32.0.3"));
    auto start = Clock::now();
    ASSERT_TRUE(client.Send(Frame(0x2001)));
    Bytes first = client.Receive(1, 1000);
    EXPECT_GE(MsSince(start), 15);
    Bytes rest = client.Receive(25, 3000);
    EXPECT_GE(MsSince(start), 26 * 20 - 40);
    first.insert(first.end(), rest.begin(), rest.end());
    ASSERT_EQ(first.size(), 26u);
    EXPECT_EQ(Bytes(first.begin(), first.begin() + 14), kIdentity);
}

TEST(SimFault, DelayedReplyComesWholeAndLate) {
    auto unit = StartUnit("127.32.0.4");
    unit->SetFault(sim::Fault::DelayedReply, 300);
    RawClient client;
    ASSERT_TRUE(client.Connect("127.32.0.4"));
    auto start = Clock::now();
    ASSERT_TRUE(client.Send(Frame(0x2001)));
    EXPECT_TRUE(client.Receive(1, 150).empty());
    Bytes reply = client.Receive(26, 2000);
    EXPECT_GE(MsSince(start), 280);
    ASSERT_EQ(reply.size(), 26u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 14), kIdentity);
}

TEST(SimFault, CloseAfterFramesAnswersThenCloses) {
    auto unit = StartUnit("127.32.0.5");
    unit->SetFault(sim::Fault::CloseAfterFrames, 2);
    RawClient client;
    ASSERT_TRUE(client.Connect("127.32.0.5"));
    EXPECT_EQ(client.Exchange(0x4000, {}, 10).size(), 16u);
    EXPECT_EQ(client.Exchange(0x4000, {}, 10).size(), 16u);
    EXPECT_TRUE(client.Receive(1, 1000).empty());
    EXPECT_TRUE(client.PeerClosed());
    // A new connection is answered again, up to the same count.
    RawClient again;
    ASSERT_TRUE(again.Connect("127.32.0.5"));
    EXPECT_EQ(again.Exchange(0x4000, {}, 10).size(), 16u);
}

TEST(SimFault, ResetAbortsTheConnection) {
    auto unit = StartUnit("127.32.0.6");
    unit->SetFault(sim::Fault::Reset);
    RawClient client;
    ASSERT_TRUE(client.Connect("127.32.0.6"));
    ASSERT_TRUE(client.Send(Frame(0x1003, Bytes(17, 0))));
    EXPECT_TRUE(client.Receive(22, 1000).empty());
    EXPECT_EQ(client.LastError(), ECONNRESET);
}

TEST(SimFault, NotListeningRefusesUntilCleared) {
    auto unit = StartUnit("127.32.0.8");
    RawClient kept;
    ASSERT_TRUE(kept.Connect("127.32.0.8"));
    ASSERT_TRUE(unit->WaitForConnections(1, 1000)); // accepted before the listener goes
    unit->SetFault(sim::Fault::NotListening);
    RawClient client;
    EXPECT_FALSE(client.Connect("127.32.0.8"));
    EXPECT_EQ(client.LastError(), ECONNREFUSED);
    EXPECT_EQ(kept.Exchange(0x4004, {}, 10).size(), 16u) << "open connections stay served";

    unit->SetFault(sim::Fault::None);
    ASSERT_TRUE(client.Connect("127.32.0.8"));
    EXPECT_EQ(client.Exchange(0x4004, {}, 10).size(), 16u);
}
