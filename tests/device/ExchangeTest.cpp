#include "device/CTM80M1_Comm.h"
#include "platform/Clock.h"
#include "sim/SimUnit.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A simulated unit on its own address with one connection and one exchange object.
struct Rig {
    explicit Rig(const char* address) {
        sim::UnitConfig config;
        config.address = address;
        unit = std::make_unique<sim::SimUnit>(config);
        EXPECT_TRUE(unit->Start()) << unit->Error();
        com = std::make_unique<TCPCom>(address);
        EXPECT_TRUE(com->IsConnected()) << com->LastErrorText();
        comm = std::make_unique<CTM80M1_Comm>(com.get());
    }

    // Runs one Transact; returns its result, the reply and the time it took.
    int Run(std::uint16_t command, Bytes payload, std::uint16_t replyLength, Bytes* reply = nullptr,
            std::int64_t* elapsed = nullptr) {
        Bytes request(6 + payload.size());
        std::copy(payload.begin(), payload.end(), request.begin() + 6);
        Bytes answer(6 + replyLength, 0);
        std::int64_t start = win::ProcessClock();
        int result =
            comm->Transact(command, request.data(), static_cast<std::uint16_t>(payload.size()),
                           answer.data(), replyLength);
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
        for (int i = 0; i < 400; ++i) {
            int pending = 0;
            ::ioctl(static_cast<int>(com->Socket()), FIONREAD, &pending);
            if (pending >= count) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FAIL() << "stale bytes did not arrive";
    }

    std::unique_ptr<sim::SimUnit> unit;
    std::unique_ptr<TCPCom> com;
    std::unique_ptr<CTM80M1_Comm> comm;
};

} // namespace

TEST(CommandExchange, FramesOnTheWireAndReplyLengths) {
    struct Case {
        std::uint16_t command;
        Bytes payload;
        std::uint16_t replyLength;
        Bytes wire;
    };
    Bytes noteRead = {0x16, 0x00, 0x03, 0x10, 0x11, 0x00};
    noteRead.resize(23, 0);
    const Case cases[] = {
        {0x2001, {}, 20, {0x16, 0x00, 0x01, 0x20, 0x00, 0x00}},
        {0x1000, {3, 0xFE}, 0, {0x16, 0x00, 0x00, 0x10, 0x02, 0x00, 0x03, 0xFE}},
        {0x2009, {12}, 128, {0x16, 0x00, 0x09, 0x20, 0x01, 0x00, 0x0C}},
        {0x1003, Bytes(17, 0), 16, noteRead},
        {0x2002, {}, 12, {0x16, 0x00, 0x02, 0x20, 0x00, 0x00}},
        {0x4000, {}, 10, {0x16, 0x00, 0x00, 0x40, 0x00, 0x00}},
        {0x4004, {}, 10, {0x16, 0x00, 0x04, 0x40, 0x00, 0x00}},
        {0x3001, {0x28}, 1, {0x16, 0x00, 0x01, 0x30, 0x01, 0x00, 0x28}},
    };
    Rig rig("127.12.0.2");
    for (const auto& c : cases) {
        rig.unit->ClearFrames();
        Bytes reply;
        ASSERT_EQ(rig.Run(c.command, c.payload, c.replyLength, &reply), 1) << std::hex << c.command;
        ASSERT_TRUE(rig.unit->WaitForFrames(1, 1000));
        auto frames = rig.unit->Frames();
        ASSERT_EQ(frames.size(), 1U);
        EXPECT_EQ(frames[0].bytes, c.wire) << std::hex << c.command;
        // The reply header names the command; nothing more is pending afterwards.
        EXPECT_EQ(reply[2] | (reply[3] << 8), c.command);
    }
}

TEST(CommandExchange, FlashingTheLedsUsesTheControlFrame) {
    Rig rig("127.12.1.2");
    std::uint8_t request[12] = {0, 0, 0, 0, 0, 0, 0x06, 0, 0, 0, 0, 0};
    std::uint8_t reply[12] = {};
    ASSERT_EQ(rig.comm->ControlExchange(request, reply), 1);
    ASSERT_TRUE(rig.unit->WaitForFrames(1, 1000));
    EXPECT_EQ(rig.unit->Frames()[0].bytes,
              (Bytes{0x16, 0x00, 0x01, 0x10, 0x06, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(rig.unit->LedFlashes(), 1);
}

TEST(CommandExchange, BudgetsAreMeasuredAfterEveryByte) {
    Rig rig("127.12.2.2");
    std::int64_t elapsed = 0;

    // A complete reply that arrives only after the budget still fails.
    rig.unit->SetFault(sim::Fault::DelayedReply, 1150);
    EXPECT_EQ(rig.Run(0x2001, {}, 20, nullptr, &elapsed), 0);
    EXPECT_GE(elapsed, 1000);

    // A slow reply that completes inside the budget succeeds.
    rig.com = std::make_unique<TCPCom>("127.12.2.2");
    rig.comm = std::make_unique<CTM80M1_Comm>(rig.com.get());
    rig.unit->SetFault(sim::Fault::SlowBytes, 10);
    EXPECT_EQ(rig.Run(0x4000, {}, 10, nullptr, &elapsed), 1);
    EXPECT_LT(elapsed, 1000);
}

TEST(CommandExchange, HeaderOnlyReplyFailsWithTheHeaderInTheBuffer) {
    Rig rig("127.12.3.2");
    rig.unit->SetFault(sim::Fault::HeaderOnly);
    Bytes reply;
    std::int64_t elapsed = 0;
    EXPECT_EQ(rig.Run(0x2001, {}, 20, &reply, &elapsed), 0);
    EXPECT_GE(elapsed, 1000);
    EXPECT_LT(elapsed, 1900);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 6), (Bytes{0x16, 0x00, 0x01, 0x20, 0x14, 0x00}));
    EXPECT_EQ(Bytes(reply.begin() + 6, reply.end()), Bytes(20, 0));
}

TEST(CommandExchange, ControlExchangeDrainsStaleInputAndTransactDoesNot) {
    Rig rig("127.12.4.2");
    rig.InjectStale(3);
    std::uint8_t request[12] = {0, 0, 0, 0, 0, 0, 0x04, 0x80, 0, 0, 0, 0};
    std::uint8_t reply[12] = {};
    ASSERT_EQ(rig.comm->ControlExchange(request, reply), 1);
    EXPECT_EQ(Bytes(reply, reply + 6), (Bytes{0x16, 0x00, 0x01, 0x10, 0x06, 0x00}));

    rig.InjectStale(3);
    Bytes answer;
    ASSERT_EQ(rig.Run(0x4000, {}, 10, &answer), 1);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 3), (Bytes{0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(answer[3], 0x16); // the real reply follows the stale bytes
}

TEST(CommandExchange, UnitThatClosedItsSideYieldsAnEmptySuccess) {
    Rig rig("127.12.5.2");
    rig.unit->SetFault(sim::Fault::CloseAfterFrames, 1);
    ASSERT_EQ(rig.Run(0x1003, Bytes(17, 0), 16), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let the close arrive

    Bytes reply;
    std::int64_t elapsed = 0;
    EXPECT_EQ(rig.Run(0x1003, Bytes(17, 0), 16, &reply, &elapsed), 1);
    EXPECT_EQ(reply, Bytes(22, 0));
    EXPECT_LT(elapsed, 500);
}

TEST(CommandExchange, SendFailureReturnsAtOnce) {
    Rig rig("127.12.6.2");
    rig.unit->SetFault(sim::Fault::Reset);
    rig.Run(0x2001, {}, 20); // the unit resets the connection
    ASSERT_TRUE(rig.unit->WaitForFrames(1, 1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int result = 1;
    for (int i = 0; i < 3 && result == 1; ++i) {
        result = rig.Run(0x2001, {}, 20);
    }
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(rig.com->IsConnected());
}
