// The TCP transport and the command exchange against simulated units and bare
// sockets: failure texts, the local end, receive time-outs, draining, the
// graceful close, budgets, partial replies and connections the unit ended.
#include "tests/device/OutputCapture.h"

#include "device/CTM80M1_Comm.h"
#include "device/SlotTable.h"
#include "device/TCPCom.h"
#include "platform/Clock.h"
#include "sim/SocketUtil.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::unique_ptr<sim::SimUnit> StartUnit(const char* address) {
    auto unit = std::make_unique<sim::SimUnit>(sim::UnitConfig{.address = address});
    EXPECT_TRUE(unit->Start()) << unit->Error();
    return unit;
}

int Pending(const TCPCom& com) {
    int pending = 0;
    ::ioctl(static_cast<int>(com.Socket()), FIONREAD, &pending);
    return pending;
}

// Waits until `count` bytes are pending on the connection (or two seconds passed).
bool WaitPending(const TCPCom& com, int count) {
    for (int i = 0; i < 400 && Pending(com) < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return Pending(com) >= count;
}

// A listener that never accepts: the system makes the connections it has
// room for, and nobody ever answers or closes them.
int ListenWithoutAccepting(const char* address, int backlog) {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    EXPECT_TRUE(sim::MakeAddress(address, 5000, at));
    EXPECT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    EXPECT_EQ(::listen(listener, backlog), 0);
    return listener;
}

std::string ConnectFailure(const std::string& description) {
    return "*****\r\n***** connect() failed.\r\n" + description + "\r\n*****\r\n";
}

TEST(TcpTransport, FailureTexts) {
    for (const auto& [address, description] :
         {std::pair{"127.11.0.1", "WSAECONNREFUSED: The attempt to connect was rejected."},
          {"0.0.0.0", "WSAEADDRNOTAVAIL: The specified address is not available from the local "
                      "machine."}}) {
        OutputCapture output;
        int startups = win::WSAStartupCount();
        {
            TCPCom com(address);
            EXPECT_FALSE(com.IsConnected());
            EXPECT_EQ(com.LastErrorText(), ConnectFailure(description));
            EXPECT_STREQ(com.GetAddress(), address);
        }
        EXPECT_EQ(win::WSAStartupCount(), startups);
        EXPECT_EQ(output.Stdout(), "shutdown failed with error: 10057\n");
        EXPECT_EQ(output.Debug(), "");
    }
    EXPECT_EQ(TCPCom::FailureText("::getsockname()", 12345),
              "Unknown value returned from ::getsockname().\r\nGetLastError=12345.\r\n*****\r\n");
    // The description of 10042 alone is longer than the 259 characters the field keeps.
    std::string full = TCPCom::FailureText("::setsockopt()", 10042);
    struct Probe : TSocket {
        std::string Store(const std::string& text) {
            SetField(lastErrorText_, text);
            return LastErrorText();
        }
    } probe;
    EXPECT_EQ(probe.Store(full), full.substr(0, 259));
}

// The connect traces its local end. What one receive brought in is served
// byte by byte, taken by ReceiveChunk before anything newer, and dropped by
// FlushInput with what is pending; with nothing left a byte times out and the
// connection stays.
TEST(TcpTransport, BufferedBytesComeInOrderAndGoWithFlushInput) {
    auto unit = StartUnit("127.11.21.2");
    OutputCapture output;
    TCPCom com("127.11.21.2");
    ASSERT_TRUE(com.IsConnected()) << com.LastErrorText();
    EXPECT_NE(com.GetLocalPort(), 0);
    EXPECT_EQ(std::string(com.LocalAddress()).rfind("127.", 0), 0U);
    EXPECT_EQ(output.Debug(),
              "***** TCPCom() ctor Local IP Addr and Port Num: " + std::string(com.LocalAddress()) +
                  ":" + std::to_string(com.GetLocalPort()) + ".\r\n");
    ASSERT_TRUE(unit->WaitForFrames(0, 100));
    std::int64_t start = win::ProcessClock();
    EXPECT_EQ(com.FlushInput(), 0);
    EXPECT_LT(win::ProcessClock() - start, 100); // nothing pending: no wait

    unit->InjectBytes(5, 0x31);
    ASSERT_TRUE(WaitPending(com, 5));
    std::uint8_t byte = 0;
    ASSERT_EQ(com.ReceiveByte(&byte), 1);
    EXPECT_EQ(byte, 0x31);
    EXPECT_EQ(Pending(com), 0); // the other four wait in the receive buffer
    EXPECT_EQ(com.ReceiveChunk(), 4);
    unit->InjectBytes(3, 0x32);
    ASSERT_TRUE(WaitPending(com, 3));
    ASSERT_EQ(com.ReceiveByte(&byte), 1);
    unit->InjectBytes(2, 0x33);
    ASSERT_TRUE(WaitPending(com, 2));
    EXPECT_EQ(com.FlushInput(), 0);
    unit->InjectBytes(3000);
    ASSERT_TRUE(WaitPending(com, 3000));
    EXPECT_EQ(com.FlushInput(), 0);
    EXPECT_EQ(Pending(com), 0);

    byte = 0x5A;
    start = win::ProcessClock();
    EXPECT_EQ(com.ReceiveByte(&byte), 0);
    EXPECT_GE(win::ProcessClock() - start, 350);
    EXPECT_LT(win::ProcessClock() - start, 2000);
    EXPECT_EQ(byte, 0x5A);
    EXPECT_TRUE(com.IsConnected());
}

TEST(TcpTransport, TheCloseReportsWhatItMet) {
    auto unit = StartUnit("127.11.5.2");
    OutputCapture sent;
    {
        TCPCom com("127.11.5.2");
        ASSERT_TRUE(com.IsConnected());
        unit->InjectBytes(10);
        ASSERT_TRUE(WaitPending(com, 10));
    }
    EXPECT_EQ(sent.Stdout(), "Bytes received: 10\nConnection closed\n");

    int listener = ListenWithoutAccepting("127.11.6.2", 4);
    OutputCapture neverCloses;
    EXPECT_TRUE(TCPCom("127.11.6.2").IsConnected());
    EXPECT_EQ(neverCloses.Stdout(), "recv failed with error: 10060\n");
    ::close(listener);

    // A connection the unit reset is still closed.
    auto resetting = StartUnit("127.11.7.2");
    resetting->SetFault(sim::Fault::Reset);
    OutputCapture reset;
    int startups = win::WSAStartupCount();
    {
        TCPCom com("127.11.7.2");
        ASSERT_TRUE(com.IsConnected());
        const std::uint8_t query[6] = {};
        com.Send(query, 6);
        ASSERT_TRUE(resetting->WaitForFrames(1, 2000));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::string out = reset.Stdout();
    EXPECT_TRUE(out.rfind("shutdown failed with error: ", 0) == 0 ||
                out.rfind("recv failed with error: ", 0) == 0)
        << out;
    EXPECT_EQ(win::WSAStartupCount(), startups);
}

// A full accept queue drops the connect's SYNs, as an address whose unit is
// off would: the connect gives up at its bound with the time-out's text.
TEST(TcpTransport, ConnectGivesUpAtItsBound) {
    int listener = ListenWithoutAccepting("127.11.20.2", 0);
    std::vector<std::unique_ptr<TCPCom>> queued;
    OutputCapture output;
    std::int64_t waited = 0;
    for (int i = 0; i < 4 && waited < 250; ++i) {
        std::int64_t start = win::ProcessClock();
        queued.push_back(std::make_unique<TCPCom>("127.11.20.2", 300));
        waited = win::ProcessClock() - start;
    }
    EXPECT_FALSE(queued.back()->IsConnected());
    EXPECT_GE(waited, 250);
    EXPECT_LT(waited, 3000);
    EXPECT_EQ(queued.back()->LastErrorText(),
              ConnectFailure("WSAETIMEDOUT: Attempt to connect timed out without establishing "
                             "a connection."));
    queued.clear();
    ::close(listener);
}

// Closing the application closes every unit at once: the ones that answer
// gracefully, the silent ones within one shared budget.
TEST(TcpTransport, ClearingTheSlotTableClosesSilentUnitsWithinItsBudget) {
    auto answering = StartUnit("127.11.22.2");
    std::vector<int> listeners;
    SlotTable table;
    OutputCapture output;
    for (const char* address : {"127.11.22.2", "127.11.22.3", "127.11.22.4", "127.11.22.5"}) {
        if (address != std::string("127.11.22.2")) {
            listeners.push_back(ListenWithoutAccepting(address, 4));
        }
        auto connection = std::make_unique<TCPCom>(address);
        ASSERT_TRUE(connection->IsConnected());
        auto model = std::make_unique<CTM80M1_Comm>(connection.get());
        const int index = table.Claim();
        table.At(index).slot =
            std::make_unique<UnitSlot>(index, std::move(connection), std::move(model));
    }
    std::int64_t start = win::ProcessClock();
    table.Clear();
    EXPECT_LT(win::ProcessClock() - start, 500);
    EXPECT_EQ(table.Slot(0), nullptr);
    const std::string out = output.Stdout();
    EXPECT_EQ(out.find("Connection closed\n"), out.rfind("Connection closed\n")) << out;
    EXPECT_NE(out.find("Connection closed\n"), std::string::npos) << out;
    for (int listener : listeners) {
        ::close(listener);
    }
}

// A simulated unit on its own address with one connection and one exchange object.
struct Rig {
    Rig() : unit(simtest::StartUnit(12, simtest::CurrentTestName())) {
        EXPECT_NE(unit, nullptr);
        com = std::make_unique<TCPCom>(unit ? unit->Config().address.c_str() : "127.0.0.0");
        EXPECT_TRUE(com->IsConnected()) << com->LastErrorText();
        comm = std::make_unique<CTM80M1_Comm>(com.get());
    }
    struct Outcome {
        int result;
        Bytes reply;
        std::int64_t elapsed; // ms
    };
    // One Transact with no request payload.
    Outcome Run(std::uint16_t command, std::uint16_t replyLength) {
        Bytes request(6), reply(6 + replyLength, 0);
        std::int64_t start = win::ProcessClock();
        int result = comm->Transact(command, request.data(), 0, reply.data(), replyLength);
        return {result, reply, win::ProcessClock() - start};
    }
    void InjectStale(int count) {
        unit->InjectBytes(static_cast<std::size_t>(count), 0xEE);
        ASSERT_TRUE(WaitPending(*com, count)) << "stale bytes did not arrive";
    }

    std::unique_ptr<sim::SimUnit> unit;
    std::unique_ptr<TCPCom> com;
    std::unique_ptr<CTM80M1_Comm> comm;
};

// A header alone fails at the budget with the header in the buffer. (A reply
// of slow bytes inside the budget succeeds: the fault matrix.)
TEST(CommandExchange, AHeaderOnlyReplyFailsAtTheBudget) {
    Rig rig;
    rig.unit->SetFault(sim::Fault::HeaderOnly);
    auto run = rig.Run(0x2001, 20);
    EXPECT_EQ(run.result, 0);
    EXPECT_GE(run.elapsed, 1000);
    EXPECT_LT(run.elapsed, 1900);
    Bytes expected = {0x16, 0x00, 0x01, 0x20, 0x14, 0x00};
    expected.resize(26, 0);
    EXPECT_EQ(run.reply, expected);
}

TEST(CommandExchange, EveryExchangeDrainsStaleInputFirst) {
    Rig rig;
    rig.InjectStale(3);
    std::uint8_t request[12] = {0, 0, 0, 0, 0, 0, 0x04, 0x80, 0, 0, 0, 0};
    std::uint8_t reply[12] = {};
    ASSERT_EQ(rig.comm->ControlExchange(request, reply), 1);
    EXPECT_EQ(Bytes(reply, reply + 6), (Bytes{0x16, 0x00, 0x01, 0x10, 0x06, 0x00}));
    rig.InjectStale(3);
    auto run = rig.Run(0x4000, 10);
    ASSERT_EQ(run.result, 1);
    EXPECT_EQ(Bytes(run.reply.begin(), run.reply.begin() + 4), (Bytes{0x16, 0x00, 0x00, 0x40}));

    // A reply that comes after its budget fails the exchange at the budget and
    // is not taken as the next one's.
    rig.unit->SetFault(sim::Fault::DelayedReply, 1200);
    run = rig.Run(0x2001, 20);
    EXPECT_EQ(run.result, 0);
    EXPECT_GE(run.elapsed, 1000);
    ASSERT_TRUE(rig.unit->WaitForFrames(3, 1000));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    rig.unit->SetFault(sim::Fault::None);
    run = rig.Run(0x4000, 10);
    ASSERT_EQ(run.result, 1);
    EXPECT_EQ(run.reply[2], 0x00);
    EXPECT_EQ(run.reply[3], 0x40);
}

TEST(CommandExchange, AConnectionTheUnitClosedOrResetFailsAtOnce) {
    // Exchanges answered before the connection goes.
    for (const auto& [fault, answered] :
         {std::pair{sim::Fault::CloseAfterFrames, 1}, {sim::Fault::Reset, 0}}) {
        Rig rig;
        rig.unit->SetFault(fault, answered);
        for (int i = 0; i < answered; ++i) {
            EXPECT_EQ(rig.Run(0x4000, 10).result, 1);
        }
        // Every later exchange fails at once, whatever it reads or controls;
        // nothing of a reply that never came is taken as zeros.
        for (int i = 0; i < 3; ++i) {
            auto run = rig.Run(0x1003, 16);
            EXPECT_EQ(run.result, 0) << i;
            EXPECT_LT(run.elapsed, 400) << i;
            EXPECT_FALSE(rig.com->IsConnected());
        }
        EXPECT_EQ(rig.comm->FlashLeds(), 0);
        std::uint8_t byte = 0x5A;
        EXPECT_EQ(rig.com->ReceiveByte(&byte), 0);
        EXPECT_EQ(byte, 0x5A);
    }
}

} // namespace
