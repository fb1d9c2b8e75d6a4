// The unit model against a scripted peer: the reads that fill its identity,
// bands, note and tables, the blocks each asks for, and what a failed block
// read leaves.
#include "tests/device/ScriptedPeer.h"

#include <cstring>
#include <sstream>

using namespace testpeer;
using Words = std::vector<std::uint16_t>;

namespace {

// "16 00 0C" as bytes.
Bytes Hex(const char* text) {
    Bytes bytes;
    std::istringstream in(text);
    for (unsigned byte = 0; in >> std::hex >> byte;) {
        bytes.push_back(static_cast<std::uint8_t>(byte));
    }
    return bytes;
}

// Block 0 with bands 1 (1435-1535 MHz) and 3 (2200-2395 MHz) and monitoring.
Words BandBlock() {
    Words words(64, 0);
    words[2] = 14350;
    words[3] = 15350;
    words[6] = 22000;
    words[7] = 23950;
    words[50] = 0x0001;
    return words;
}

// Four table rows of ten channels, sixteen words apart; `value(r, c)` fills them.
Words TableBlock(const std::function<int(int, int)>& value) {
    Words words(64, 0);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 10; ++c) {
            words[16 * r + c] = static_cast<std::uint16_t>(value(r, c));
        }
    }
    return words;
}

// A table row's operation on the unit model, named by its text.
#define OP(call) #call, [&](CTM80M1_Comm& u) { return u.call; }

class CommTest : public PeerTest {
protected:
    std::vector<int> BlocksRequested() const {
        std::vector<int> blocks;
        for (const auto& frame : peer->Frames()) {
            if (frame.command == 0x2009) {
                blocks.push_back(frame.Payload(0));
            }
        }
        return blocks;
    }
};

TEST_F(CommTest, ReadsFillIdentityBandsNoteAndTables) {
    Words product(64, 0), noteBlock(64, 0);
    const std::string text = "TM80M Multicoupler", note = "Mast 3, rack 12!";
    for (std::size_t i = 0; i < text.size(); ++i) {
        product[i] = static_cast<std::uint16_t>(0x4100 | static_cast<std::uint8_t>(text[i]));
    }
    for (int k = 0; k < 8; ++k) {
        noteBlock[16 + k] = static_cast<std::uint16_t>((note[2 * k] << 8) | note[2 * k + 1]);
    }
    // Calibration rows 10 * b + c and reference rows 100 more, above an 0x77 byte the read drops.
    std::map<int, Words> blocks = {{0, BandBlock()}, {1, noteBlock}, {2, product}};
    for (int block = 12; block < 16; ++block) {
        const int base = (block - 12) * 40 + (block >= 14 ? 20 : 0);
        blocks[block] = TableBlock([base](int r, int c) { return 0x7700 + base + 10 * r + c; });
    }
    peer->SetHandler(ScriptedPeer::Answering(
        {{0x2001, Hex("38 30 4D 31 00 AB 00 11 DE AD BE EF 01 02 03 04 05 06 07 08")},
         {0x1003, Hex("42 65 6E 63 68 20 34 00 00 00 00 00 00 00 00 00")}},
        blocks));
    ASSERT_EQ(unit->ReadUnitData(), 1);
    EXPECT_EQ(BlocksRequested(), (std::vector<int>{0, 1, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(unit->bandTable.monitoring, 1);
    EXPECT_EQ(unit->bandTable.lower[1], 1435000000);
    EXPECT_EQ(unit->bandTable.upper[3], 2395000000);
    EXPECT_EQ(unit->bandTable.bandList[1].position, 1u); // the list is built from the bands read
    EXPECT_EQ(unit->identity.userNote.data(), note);

    // The serial number text reads the identity on first demand only.
    peer->ClearFrames();
    EXPECT_EQ(unit->SerialNumberText(), "00AB-17");
    EXPECT_EQ(unit->SerialNumberText(), "00AB-17");
    EXPECT_EQ(peer->Frames().size(), 3u);
    EXPECT_STREQ(unit->identity.modelCode.data(), "80M1");
    EXPECT_EQ(unit->identity.firmware, 0xDEADBEEFu);
    EXPECT_STREQ(unit->identity.userNote.data(), "Bench 4");
    EXPECT_STREQ(unit->identity.productIdentifier.data(), "TM80M Multicoupler");
    EXPECT_EQ(BlocksRequested(), std::vector<int>{2});

    peer->ClearFrames();
    ASSERT_EQ(unit->ReadCalibrationTable(), 1);
    ASSERT_EQ(unit->ReadReferenceTable(), 1);
    EXPECT_EQ(BlocksRequested(), (std::vector<int>{12, 13, 14, 15}));
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 10; ++c) {
            EXPECT_EQ(unit->calibration.calibration[b][c], 10 * b + c);
            EXPECT_EQ(unit->calibration.reference[b][c], 100 + 10 * b + c);
        }
    }

    // The list packs the bands with both edges in order and clears stale entries.
    auto& table = unit->bandTable;
    table = {};
    table.upper[0] = 500000000; // an upper edge alone is no band
    table.lower[2] = 300000000;
    table.upper[2] = 320000000;
    table.lower[7] = 5100000000;
    table.upper[7] = 5200000000;
    table.bandList[5] = {1, 2, 3};
    unit->BuildBandList();
    EXPECT_EQ(table.bandList[0].lower, 300000000);
    EXPECT_EQ(table.bandList[0].position, 0u);
    EXPECT_EQ(table.bandList[1].lower, 5100000000);
    EXPECT_EQ(table.bandList[1].position, 1u);
    for (int e = 2; e < 8; ++e) {
        EXPECT_EQ(table.bandList[e].upper, 0);
        EXPECT_EQ(table.bandList[e].position, 8u);
    }
}

TEST_F(CommTest, AFailedBlockReadChangesNothingTheModelHolds) {
    const Words rows = TableBlock([](int r, int c) { return 30 + r * 10 + c; });
    const struct {
        const char* name;
        std::function<int(CTM80M1_Comm&)> read;
        int cutBlock;               // answered with a reply cut short
        std::vector<int> requested; // the reads stop at the failed one
    } cases[] = {
        {OP(ReadCalibrationTable()), 13, {12, 13}},
        {OP(ReadReferenceTable()), 14, {14}},
        {OP(ReadUnitData()), 0, {0}},
        {OP(ReadUnitData()), 1, {0, 1}},
        {OP(ReadUnitData()), 6, {0, 1, 4, 5, 6}},
        {OP(ReadIdentity()), 2, {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " cut at block " << c.cutBlock);
        // What the model held before: calibration and reference rows of 7s,
        // band 5 only, no monitoring, a note and a product identifier.
        for (auto* table : {&unit->calibration.calibration, &unit->calibration.reference}) {
            for (auto& row : *table) {
                row.fill(7);
            }
        }
        unit->bandTable = {};
        unit->bandTable.lower[5] = 1000000;
        unit->bandTable.upper[5] = 2000000;
        unit->BuildBandList();
        std::strcpy(unit->identity.userNote.data(), "old note");
        std::strcpy(unit->identity.productIdentifier.data(), "old product");
        peer->ClearFrames();
        peer->SetHandler([&rows, cut = c.cutBlock](const PeerFrame& frame) {
            if (frame.command != 0x2009) {
                return Answer{ScriptedPeer::DefaultReply(frame.command)};
            }
            Bytes reply = ScriptedPeer::BlockReply(frame.Payload(0) == 0 ? BandBlock() : rows);
            if (frame.Payload(0) == cut) {
                reply.resize(6 + 2 * 20);
            }
            return Answer{reply};
        });
        EXPECT_EQ(c.read(*unit), 0);
        EXPECT_EQ(BlocksRequested(), c.requested);
        // Rows 0-3 of the calibration table came whole; nothing else did.
        EXPECT_EQ(unit->calibration.calibration[3][9], c.cutBlock == 13 ? 69 : 7);
        EXPECT_EQ(unit->calibration.calibration[0][0], c.cutBlock == 13 ? 30 : 7);
        EXPECT_EQ(unit->calibration.calibration[4][0], 7);
        EXPECT_EQ(unit->calibration.reference[0][0], 7);
        // Block 0 came whole before a later block of the unit data failed.
        const bool bandsRead = c.cutBlock == 1 || c.cutBlock == 6;
        EXPECT_EQ(unit->bandTable.lower[1], bandsRead ? 1435000000 : 0);
        EXPECT_EQ(unit->bandTable.bandList[0].lower, bandsRead ? 1435000000 : 1000000);
        EXPECT_EQ(unit->bandTable.monitoring, bandsRead ? 1 : 0);
        // The identity's note read and a whole note block do replace the note.
        const bool noteRead = c.cutBlock == 2 || c.cutBlock == 6;
        EXPECT_STREQ(unit->identity.userNote.data(), noteRead ? "" : "old note");
        EXPECT_STREQ(unit->identity.productIdentifier.data(), "old product");
    }
}

} // namespace
