// The command exchange against a simulated unit: budgets, partial replies,
// stale input dropped and a connection the unit reset.
#include "device/CTM80M1_Comm.h"
#include "platform/Clock.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A simulated unit on its own address with one connection and one exchange object.
struct Rig {
    Rig() {
        unit = simtest::StartUnit(12, simtest::CurrentTestName());
        EXPECT_NE(unit, nullptr);
        if (unit != nullptr) {
            Connect();
        }
    }
    void Connect() {
        com = std::make_unique<TCPCom>(unit->Config().address.c_str());
        EXPECT_TRUE(com->IsConnected()) << com->LastErrorText();
        comm = std::make_unique<CTM80M1_Comm>(com.get());
    }

    // One Transact with no request payload; its result, the reply and the time it took.
    int Run(std::uint16_t command, std::uint16_t replyLength, Bytes* reply = nullptr,
            std::int64_t* elapsed = nullptr) {
        Bytes request(6);
        Bytes answer(6 + replyLength, 0);
        std::int64_t start = win::ProcessClock();
        int result = comm->Transact(command, request.data(), 0, answer.data(), replyLength);
        if (elapsed != nullptr) {
            *elapsed = win::ProcessClock() - start;
        }
        if (reply != nullptr) {
            *reply = answer;
        }
        return result;
    }

    void InjectStale(int count) {
        unit->InjectBytes(static_cast<std::size_t>(count), 0xEE);
        int pending = 0;
        for (int i = 0; i < 400 && pending < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::ioctl(static_cast<int>(com->Socket()), FIONREAD, &pending);
        }
        ASSERT_GE(pending, count) << "stale bytes did not arrive";
    }

    std::unique_ptr<sim::SimUnit> unit;
    std::unique_ptr<TCPCom> com;
    std::unique_ptr<CTM80M1_Comm> comm;
};

TEST(CommandExchange, BudgetsAreMeasuredAfterEveryByte) {
    Rig rig;
    std::int64_t elapsed = 0;
    // A complete reply that arrives only after the budget still fails.
    rig.unit->SetFault(sim::Fault::DelayedReply, 1150);
    EXPECT_EQ(rig.Run(0x2001, 20, nullptr, &elapsed), 0);
    EXPECT_GE(elapsed, 1000);

    // A slow reply that completes inside the budget succeeds.
    rig.Connect();
    rig.unit->SetFault(sim::Fault::SlowBytes, 10);
    EXPECT_EQ(rig.Run(0x4000, 10, nullptr, &elapsed), 1);
    EXPECT_LT(elapsed, 1000);
}

TEST(CommandExchange, HeaderOnlyReplyFailsWithTheHeaderInTheBuffer) {
    Rig rig;
    rig.unit->SetFault(sim::Fault::HeaderOnly);
    Bytes reply;
    std::int64_t elapsed = 0;
    EXPECT_EQ(rig.Run(0x2001, 20, &reply, &elapsed), 0);
    EXPECT_GE(elapsed, 1000);
    EXPECT_LT(elapsed, 1900);
    Bytes expected = {0x16, 0x00, 0x01, 0x20, 0x14, 0x00};
    expected.resize(26, 0);
    EXPECT_EQ(reply, expected);
}

TEST(CommandExchange, EveryExchangeDrainsStaleInputFirst) {
    Rig rig;
    rig.InjectStale(3);
    std::uint8_t request[12] = {0, 0, 0, 0, 0, 0, 0x04, 0x80, 0, 0, 0, 0};
    std::uint8_t reply[12] = {};
    ASSERT_EQ(rig.comm->ControlExchange(request, reply), 1);
    EXPECT_EQ(Bytes(reply, reply + 6), (Bytes{0x16, 0x00, 0x01, 0x10, 0x06, 0x00}));

    rig.InjectStale(3);
    Bytes answer;
    ASSERT_EQ(rig.Run(0x4000, 10, &answer), 1);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 4), (Bytes{0x16, 0x00, 0x00, 0x40}));

    // A reply that comes after its budget is not taken as the next one's.
    rig.unit->SetFault(sim::Fault::DelayedReply, 1200);
    EXPECT_EQ(rig.Run(0x2001, 20), 0);
    ASSERT_TRUE(rig.unit->WaitForFrames(3, 1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    rig.unit->SetFault(sim::Fault::None);
    ASSERT_EQ(rig.Run(0x4000, 10, &answer), 1);
    EXPECT_EQ(answer[2], 0x00);
    EXPECT_EQ(answer[3], 0x40);
}

TEST(CommandExchange, SendFailureReturnsAtOnce) {
    Rig rig;
    rig.unit->SetFault(sim::Fault::Reset);
    rig.Run(0x2001, 20); // the unit resets the connection
    ASSERT_TRUE(rig.unit->WaitForFrames(1, 1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int result = 1;
    for (int i = 0; i < 3 && result == 1; ++i) {
        result = rig.Run(0x2001, 20);
    }
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(rig.com->IsConnected());
}

TEST(CommandExchange, AConnectionTheUnitClosedOrResetFailsAtOnce) {
    struct Case {
        sim::Fault fault;
        int answered; // exchanges that succeed before the connection goes
    };
    for (const Case c : {Case{sim::Fault::CloseAfterFrames, 1}, Case{sim::Fault::Reset, 0}}) {
        Rig rig;
        rig.unit->SetFault(c.fault, c.answered);
        for (int i = 0; i < c.answered; ++i) {
            EXPECT_EQ(rig.Run(0x4000, 10), 1);
        }
        // Every later exchange fails at once, whatever it reads or controls;
        // nothing of a reply that never came is taken as zeros.
        for (int i = 0; i < 3; ++i) {
            Bytes reply;
            std::int64_t elapsed = 0;
            EXPECT_EQ(rig.Run(0x1003, 16, &reply, &elapsed), 0) << i;
            EXPECT_LT(elapsed, 400) << i;
            EXPECT_FALSE(rig.com->IsConnected());
        }
        EXPECT_EQ(rig.comm->FlashLeds(), 0);
        std::uint8_t byte = 0x5A;
        EXPECT_EQ(rig.com->ReceiveByte(&byte), 0);
        EXPECT_EQ(byte, 0x5A);
    }
}

} // namespace
