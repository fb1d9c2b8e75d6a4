// Each fault of the simulated unit, as a client on the wire sees it.
#include "tests/sim/RawClient.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

using simtest::Bytes;
using simtest::Frame;
using simtest::RawClient;
using Clock = std::chrono::steady_clock;

namespace {

// A started unit with a client connected to it.
class SimFault : public ::testing::Test {
protected:
    void SetUp() override {
        unit = simtest::StartUnit(32, simtest::CurrentTestName());
        ASSERT_NE(unit, nullptr);
        ASSERT_TRUE(client.Connect(unit->Config().address));
    }
    std::unique_ptr<sim::SimUnit> unit;
    RawClient client;
};

long MsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

const Bytes kIdentity = {0x16, 0, 0x01, 0x20, 20, 0, '8', '0', 'M', '1', 0x00, 0xAB, 0, 17};

} // namespace

TEST_F(SimFault, RepliesUnderEachFault) {
    struct Case {
        sim::Fault fault;
        std::size_t length; // bytes of the identity reply that come
        bool identity;      // whether they are the identity
    };
    const Case cases[] = {{sim::Fault::None, 26, true},
                          {sim::Fault::Silent, 0, false},
                          {sim::Fault::HeaderOnly, 6, true},
                          {sim::Fault::Garbage, 26, false}};
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

TEST_F(SimFault, SlowBytesSpreadsTheReply) {
    unit->SetFault(sim::Fault::SlowBytes, 20);
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

TEST_F(SimFault, DelayedReplyComesWholeAndLate) {
    unit->SetFault(sim::Fault::DelayedReply, 300);
    auto start = Clock::now();
    ASSERT_TRUE(client.Send(Frame(0x2001)));
    EXPECT_TRUE(client.Receive(1, 150).empty());
    Bytes reply = client.Receive(26, 2000);
    EXPECT_GE(MsSince(start), 280);
    ASSERT_EQ(reply.size(), 26u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 14), kIdentity);
}

TEST_F(SimFault, CloseAfterFramesAnswersThenCloses) {
    unit->SetFault(sim::Fault::CloseAfterFrames, 2);
    EXPECT_EQ(client.Exchange(0x4000, {}, 10).size(), 16u);
    EXPECT_EQ(client.Exchange(0x4000, {}, 10).size(), 16u);
    EXPECT_TRUE(client.Receive(1, 1000).empty());
    EXPECT_TRUE(client.PeerClosed());
    // A new connection is answered again, up to the same count.
    RawClient again;
    ASSERT_TRUE(again.Connect(unit->Config().address));
    EXPECT_EQ(again.Exchange(0x4000, {}, 10).size(), 16u);
}

TEST_F(SimFault, ResetAbortsTheConnection) {
    unit->SetFault(sim::Fault::Reset);
    ASSERT_TRUE(client.Send(Frame(0x1003, Bytes(17, 0))));
    EXPECT_TRUE(client.Receive(22, 1000).empty());
    EXPECT_EQ(client.LastError(), ECONNRESET);
}

TEST_F(SimFault, NotListeningRefusesUntilCleared) {
    ASSERT_TRUE(unit->WaitForConnections(1, 1000)); // accepted before the listener goes
    unit->SetFault(sim::Fault::NotListening);
    RawClient refused;
    EXPECT_FALSE(refused.Connect(unit->Config().address));
    EXPECT_EQ(refused.LastError(), ECONNREFUSED);
    EXPECT_EQ(client.Exchange(0x4004, {}, 10).size(), 16u) << "open connections stay served";

    unit->SetFault(sim::Fault::None);
    ASSERT_TRUE(refused.Connect(unit->Config().address));
    EXPECT_EQ(refused.Exchange(0x4004, {}, 10).size(), 16u);
}
