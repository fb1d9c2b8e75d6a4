// The simulated unit's answers and state, seen through raw sockets.
#include "tests/sim/RawClient.h"
#include "tests/sim/SimTestUnit.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

using simtest::Bytes;
using simtest::Frame;
using simtest::RawClient;

namespace {

// A started unit with a client connected to it.
class SimUnitTest : public ::testing::Test {
protected:
    void SetUp() override { Open(); }
    void Open(const std::string& model = "80M1") {
        sim::UnitConfig c;
        c.model = model;
        c.note = "BENCH 7";
        unit = simtest::StartUnit(31, simtest::CurrentTestName() + model, c);
        ASSERT_NE(unit, nullptr);
        client = std::make_unique<RawClient>();
        ASSERT_TRUE(client->Connect(unit->Config().address));
    }
    std::unique_ptr<sim::SimUnit> unit;
    std::unique_ptr<RawClient> client;
};

std::uint16_t Word(const Bytes& reply, int w) {
    return static_cast<std::uint16_t>(reply[6 + 2 * w] | reply[6 + 2 * w + 1] << 8);
}

Bytes Payload(const Bytes& reply) {
    return Bytes(reply.begin() + 6, reply.end());
}

Bytes NoteRequest(std::uint8_t mode, const std::string& text) {
    Bytes p(17, 0);
    p[0] = mode;
    std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 16), p.begin() + 1);
    return p;
}

} // namespace

TEST_F(SimUnitTest, EveryCommandIsAnsweredWithItsReplyLength) {
    struct Case {
        std::uint16_t command;
        Bytes payload;
        std::size_t reply;
    };
    const Case cases[] = {
        {0x1000, {3, 0xFE}, 0},
        {0x1001, {0x06, 0, 0, 0, 0, 0}, 6},
        {0x1003, NoteRequest(0x00, ""), 16},
        {0x1004, Bytes(10, 0), 0},
        {0x2001, {}, 20},
        {0x2002, {}, 12},
        {0x2009, {40}, 128}, // a block the unit does not use is still 64 words
        {0x3000, {1, 50, 0x20}, 0},
        {0x3001, {0x28}, 1},
        {0x3002, {0x20}, 0},
        {0x4000, {}, 10},
        {0x4004, {}, 10},
        {0x7777, {1, 2, 3}, 0}, // unknown: a header with length 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.command);
        Bytes reply = client->Exchange(c.command, c.payload, c.reply);
        Bytes header = Frame(c.command, Bytes(c.reply, 0));
        header.resize(6);
        ASSERT_EQ(reply.size(), 6 + c.reply);
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 6), header);
        EXPECT_TRUE(client->Receive(1, 50).empty()) << "more bytes than the reply length";
    }
    // The type query: six 0 bytes in, 16 00 00 00 00 00 out.
    ASSERT_TRUE(client->Send(Bytes(6, 0)));
    EXPECT_EQ(client->Receive(6, 1000), (Bytes{0x16, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(unit->WaitForFrames(std::size(cases) + 1, 1000));
    EXPECT_EQ(unit->Frames()[0].bytes, (Bytes{0x16, 0, 0, 0x10, 2, 0, 3, 0xFE}));
    EXPECT_EQ(unit->LedFlashes(), 1);
}

TEST_F(SimUnitTest, IdentityAndBlocksHoldTheUnitsValues) {
    EXPECT_EQ(Payload(client->Exchange(0x2001, {}, 20)),
              (Bytes{'8', '0', 'M', '1', 0x00, 0xAB, 0, 17, 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}));

    Bytes b0 = client->Exchange(0x2009, {0}, 128);
    EXPECT_EQ(Word(b0, 0), 0); // band 0 absent
    EXPECT_EQ(Word(b0, 2), 14350);
    EXPECT_EQ(Word(b0, 3), 15350);
    EXPECT_EQ(Word(b0, 50) & 1, 1);
    EXPECT_EQ(Word(client->Exchange(0x2009, {2}, 128), 0), 'T'); // one character per word
    EXPECT_NE(Word(client->Exchange(0x2009, {11}, 128), 32), 0);

    // Calibration (12, 13) and reference (14, 15): four rows of ten channels per block.
    for (std::uint8_t block = 12; block <= 15; ++block) {
        Bytes b = client->Exchange(0x2009, {block}, 128);
        for (int r = 0; r < 4; ++r) {
            int band = (block % 2) * 4 + r;
            for (int c = 0; c < 10; ++c) {
                EXPECT_EQ(Word(b, 16 * r + c),
                          block < 14 ? unit->Calibration(band, c) : unit->Reference(band, c));
            }
            EXPECT_EQ(Word(b, 16 * r + 10), 0);
        }
    }
}

TEST_F(SimUnitTest, NoteWriteReadRoundTripMatchesBlockOne) {
    EXPECT_EQ(Payload(client->Exchange(0x1003, NoteRequest(0x00, ""), 16)),
              Bytes({'B', 'E', 'N', 'C', 'H', ' ', '7', 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    const std::string note = "RACK 2 LEFT ANT5"; // all 16 characters
    Bytes written = Payload(client->Exchange(0x1003, NoteRequest(0x80, note), 16));
    EXPECT_EQ(std::string(written.begin(), written.end()), note);
    EXPECT_EQ(unit->Note(), note);
    Bytes b1 = client->Exchange(0x2009, {1}, 128);
    std::string fromBlock;
    for (int k = 0; k < 8; ++k) {
        fromBlock += static_cast<char>(Word(b1, 16 + k) >> 8);
        fromBlock += static_cast<char>(Word(b1, 16 + k) & 0xFF);
    }
    EXPECT_EQ(fromBlock, note);
}

TEST_F(SimUnitTest, CalibrationSelectionAndFactoryReset) {
    int factory2 = unit->Calibration(2, 4);
    client->Exchange(0x3000, {4, 99, 0x20}, 0);
    client->Exchange(0x3000, {4, 98, 0x10}, 0);
    client->Exchange(0x3002, {0x20}, 0); // only band 2 goes back to the factory values
    EXPECT_EQ(unit->Calibration(2, 4), factory2);
    EXPECT_EQ(unit->Calibration(1, 4), 98);
    EXPECT_EQ(Payload(client->Exchange(0x3001, {0x39}, 1)), Bytes{0x31});
    // Without bit 3 the unit only reports its selection.
    EXPECT_EQ(Payload(client->Exchange(0x3001, {0x00}, 1)), Bytes{0x31});
}

TEST_F(SimUnitTest, StatusDriftsInRangeOrHoldsWhatWasSet) {
    std::set<int> voltages;
    for (int i = 0; i < 30; ++i) {
        Bytes s = Payload(client->Exchange(0x2002, {}, 12));
        ASSERT_EQ(s.size(), 12u);
        int volts = static_cast<std::int16_t>(s[9] << 8 | s[10]);
        EXPECT_GE(volts, 100);
        EXPECT_LE(volts, 300);
        voltages.insert(volts);
    }
    EXPECT_GT(voltages.size(), 1u) << "the readings should move a little";

    unit->SetStatus(-5, -100, 15);
    Bytes s = Payload(client->Exchange(0x2002, {}, 12));
    EXPECT_EQ(Bytes(s.begin() + 8, s.end()), (Bytes{0xFB, 0xFF, 0x9C, 0x0F}));
}

TEST_F(SimUnitTest, FramesSplitAcrossSegmentsAndJoinedInOne) {
    for (std::uint8_t b : Frame(0x2009, {12})) {
        ASSERT_TRUE(client->Send({b}));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(client->Receive(134, 1000).size(), 134u);

    // Two requests in one segment: two replies, in order.
    Bytes two = Frame(0x2001);
    Bytes second = Frame(0x4000);
    two.insert(two.end(), second.begin(), second.end());
    ASSERT_TRUE(client->Send(two));
    Bytes replies = client->Receive(26 + 16, 1000);
    ASSERT_EQ(replies.size(), 42u);
    EXPECT_EQ(replies[2], 0x01);
    EXPECT_EQ(replies[26 + 3], 0x40);
}

TEST_F(SimUnitTest, ModelTwoHasItsOwnBandsAndServesSeveralConnections) {
    Open("80C2");
    RawClient second;
    ASSERT_TRUE(second.Connect(unit->Config().address));
    Bytes id = Payload(second.Exchange(0x2001, {}, 20));
    EXPECT_EQ(std::string(id.begin(), id.begin() + 4), "80C2");
    EXPECT_EQ(Word(client->Exchange(0x2009, {0}, 128), 0), 22000);
    EXPECT_EQ(unit->OpenConnections(), 2);
}
