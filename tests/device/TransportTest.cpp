// The TCP transport against simulated units and bare sockets: failure texts,
// the local end, receive time-outs, draining, and closing silent units within
// one budget.
#include "tests/device/OutputCapture.h"

#include "device/CTM80M1_Comm.h"
#include "device/SlotTable.h"
#include "device/TCPCom.h"
#include "platform/Clock.h"
#include "sim/SimUnit.h"
#include "sim/SocketUtil.h"
#include "tests/sim/RawClient.h"

#include <gtest/gtest.h>
#include <memory>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

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
            EXPECT_EQ(com.LastErrorText(), std::string("*****\r\n***** connect() failed.\r\n") +
                                               description + "\r\n*****\r\n");
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

    // The receive that meets the unit's reset ends the connection.
    unit->SetFault(sim::Fault::Reset);
    const auto typeQuery = simtest::Frame(0, {}, 0x16);
    ASSERT_EQ(com.Send(typeQuery.data(), std::ssize(typeQuery)), 1);
    EXPECT_EQ(com.ReceiveByte(&byte), 0);
    EXPECT_FALSE(com.IsConnected());
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

} // namespace
