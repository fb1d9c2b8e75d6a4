// The unit model and its slot against a scripted peer: the reads that fill
// the model's identity, bands, note and tables, the blocks each asks for, what
// a failed block read leaves; the slot's band names and texts, gains, its open
// sequence and the window seam.
#include "device/PageSetupParts.h"
#include "device/UnitFlags.h"
#include "device/UnitSlot.h"
#include "tests/device/ScriptedPeer.h"

#include <cstring>
#include <tuple>

using namespace testpeer;

namespace {

constexpr std::int64_t MHz = 1000000;

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
        {{0x2001,
          {'8', '0', 'M', '1', 0, 0xAB, 0, 0x11, 0xDE, 0xAD, 0xBE, 0xEF, 1, 2, 3, 4, 5, 6, 7, 8}},
         {0x1003, {'B', 'e', 'n', 'c', 'h', ' ', '4', 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
        blocks));
    ASSERT_EQ(unit->ReadUnitData(), 1);
    EXPECT_EQ(BlocksRequested(), (std::vector<int>{0, 1, 4, 5, 6, 7, 8, 9, 10, 11}));
    const auto& read = unit->bandTable;
    EXPECT_EQ(std::tuple(read.monitoring, read.lower[1], read.upper[3]),
              std::tuple(1, 1435000000, 2395000000));
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
    EXPECT_EQ(std::tuple(table.bandList[0].lower, table.bandList[0].position,
                         table.bandList[1].lower, table.bandList[1].position),
              std::tuple(300000000, 0u, 5100000000, 1u));
    for (int e = 2; e < 8; ++e) {
        EXPECT_EQ(table.bandList[e].upper, 0);
        EXPECT_EQ(table.bandList[e].position, 8u);
    }
}

TEST_F(CommTest, AFailedBlockReadChangesNothingTheModelHolds) {
    const Words rows = TableBlock([](int r, int c) { return 30 + r * 10 + c; });
    const struct {
        int (CTM80M1_Comm::*read)();
        int cutBlock;               // answered with a reply cut short
        std::vector<int> requested; // the reads stop at the failed one
    } cases[] = {
        {&CTM80M1_Comm::ReadCalibrationTable, 13, {12, 13}},
        {&CTM80M1_Comm::ReadReferenceTable, 14, {14}},
        {&CTM80M1_Comm::ReadUnitData, 0, {0}},
        {&CTM80M1_Comm::ReadUnitData, 1, {0, 1}},
        {&CTM80M1_Comm::ReadUnitData, 6, {0, 1, 4, 5, 6}},
        {&CTM80M1_Comm::ReadIdentity, 2, {2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "cut at block " << c.cutBlock);
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
                return ScriptedPeer::DefaultReply(frame.command);
            }
            Bytes reply = ScriptedPeer::BlockReply(frame.Payload(0) == 0 ? BandBlock() : rows);
            reply.resize(frame.Payload(0) == cut ? 6 + 2 * 20 : reply.size());
            return reply;
        });
        EXPECT_EQ((*unit.*c.read)(), 0);
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

TEST(UnitSlotOffline, BandNamesTextsAndGains) {
    UnitSlot slot{2, nullptr, std::make_unique<CTM80M1_Comm>(nullptr)};
    // The later of two rules that hold wins; edges are truncated to whole MHz.
    const struct {
        std::int64_t lower, upper; // Hz
        const char* name;
    } names[] = {
        {200 * MHz, 325 * MHz, "P"},      {199 * MHz, 325 * MHz, ""},
        {200 * MHz, 326 * MHz, ""},       {300 * MHz, 320 * MHz, "CIF"},
        {290 * MHz, 1161 * MHz, ""},      {1400 * MHz, 1585 * MHz, "LL"},
        {1400 * MHz - 1, 1500 * MHz, ""}, {1435 * MHz, 1585 * MHz + 999999, "LL"},
        {1700 * MHz, 1875 * MHz, "UL"},   {1890 * MHz, 2190 * MHz, "M"},
        {2180 * MHz, 2190 * MHz, "S"},    {2180 * MHz, 2400 * MHz, "S"},
        {2200 * MHz, 2401 * MHz, "E"},    {2180 * MHz, 2490 * MHz, "E"},
        {2180 * MHz, 2491 * MHz, ""},     {4390 * MHz, 4950 * MHz, "C1"},
        {5085 * MHz, 5155 * MHz, "C2"},   {5100 * MHz, 5200 * MHz, "C2E"},
        {5085 * MHz, 5255 * MHz, "C2E"},  {5085 * MHz, 5256 * MHz, ""},
    };
    for (const auto& c : names) {
        slot.bandEntries[4].lower = c.lower;
        slot.bandEntries[4].upper = c.upper;
        EXPECT_EQ(slot.BandName(4), c.name) << c.lower << " - " << c.upper;
    }
    EXPECT_EQ(slot.BandName(8), "");
    EXPECT_EQ(slot.BandName(-1), "");
    // A reading taken while the position counts as lost is marked so.
    slot.RecordStatus(1);
    ConnectionLostFlag()[2] = 1;
    slot.RecordStatus(0);
    ResetUnitFlags();
    EXPECT_FALSE(slot.history[0].lost);
    EXPECT_TRUE(slot.history.Newest().lost);
    UnitSlot empty{3, nullptr, nullptr};
    EXPECT_EQ(SendPrimarySettings(empty), 0); // a recall to a position without a unit

    auto& bands = slot.Unit()->bandTable;
    bands.lower[1] = 1435 * MHz;
    bands.upper[1] = 1535 * MHz;
    bands.lower[3] = 2200 * MHz;
    bands.upper[3] = 2395 * MHz;
    bands.lower[6] = 100 * MHz;
    bands.upper[6] = 150 * MHz + 900000;
    slot.BuildBandTexts();
    EXPECT_EQ(slot.bandCount, 3);
    EXPECT_EQ(slot.bandTexts, (std::array<std::string, 8>{"LL: 1435 - 1535", "S: 2200 - 2395",
                                                          ": 100 - 150", "", "", "", "", ""}));
    EXPECT_EQ(std::tuple(slot.bandEntries[1].name, slot.bandEntries[1].position,
                         slot.bandEntries[3].position),
              std::tuple("S", 1u, 8u));
    // A band that goes away leaves its entry's name and text behind; the count tells.
    bands.lower[3] = 0;
    bands.lower[6] = 0;
    slot.BuildBandTexts();
    const auto& gone = slot.bandEntries[1];
    EXPECT_EQ(std::tuple(slot.bandCount, gone.lower, gone.position, gone.name, slot.bandTexts[1]),
              std::tuple(1, 0, 8u, "S", "S: 2200 - 2395"));

    const struct {
        std::uint8_t reference, calibration;
        std::int8_t adjustment;
        double gain;
    } gains[] = {{40, 30, 2, 5.0},     {30, 40, -4, 1.5},     {0, 0, 0, 3.0},
                 {200, 12, -12, 53.0}, {12, 115, 12, -25.75}, {255, 8, -8, 66.75}};
    for (const auto& c : gains) {
        EXPECT_DOUBLE_EQ(UnitSlot::OverallGain(c.reference, c.calibration, c.adjustment), c.gain);
    }
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 10; ++c) {
            slot.referenceTable[b][c] = static_cast<std::uint8_t>(40 + b);
            slot.calibrationTable[b][c] = static_cast<std::uint8_t>(30 + c);
            slot.adjustments[c] = static_cast<std::int8_t>(c - 5);
        }
    }
    slot.ComputeGains();
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 10; ++c) {
            EXPECT_DOUBLE_EQ(slot.gainTable[b][c], (10 + b - c - (c - 5)) * 0.25 + 3.0);
        }
    }
}

// A unit with two bands, a split of 2:4, its note, adjustments and tables.
ScriptedPeer::Handler RichUnit() {
    std::map<int, Words> blocks{{0, BandBlock()}, {1, Words(64, 0)}};
    for (int b = 12; b < 16; ++b) {
        blocks[b] = TableBlock([b](int r, int) { return b * 4 + r; });
    }
    blocks[1][16] = ('R' << 8) | 'o'; // the note the unit keeps, two characters a word
    blocks[1][17] = ('o' << 8) | 'f';
    return ScriptedPeer::Answering(
        {{0x1003, {'R', 'o', 'o', 'f', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
         {0x4000, {1, 2, 3, 4, 0xFF, 0xFE, 0xFD, 0xFC, 8, 0xF8}},
         {0x4004, {0x01, 0, 0x00, 0x10, 0x10, 0x00, 0x10, 0, 0, 0x10}}},
        blocks);
}

struct PlainWindow : UnitDeviceWindow {};

class RecordingHost : public UnitSlotHost {
public:
    std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) override {
        log.push_back("create " + std::to_string(slot.Index()) + " bands " +
                      std::to_string(slot.bandCount) + " note " + slot.userNote);
        auto window = std::make_unique<PlainWindow>();
        created = window.get();
        return window;
    }
    void RefreshMainWindow(UnitSlot& slot) override {
        log.push_back("refresh " + std::to_string(slot.Index()) + " window " +
                      (slot.DeviceWindow() == created ? "stored" : "missing"));
    }
    std::vector<std::string> log;
    UnitDeviceWindow* created = nullptr;
};

using SlotTest = PeerTest;

TEST_F(SlotTest, OpenReadsTheUnitInOrderAndFillsTheCopies) {
    peer->SetHandler(RichUnit());
    RecordingHost host; // outlives the slot, whose window reports to it
    auto slot = std::make_unique<UnitSlot>(1, std::move(connection), std::move(unit));
    slot->Open(&host);

    std::vector<std::string> sent;
    for (const auto& frame : peer->Frames()) {
        char text[16];
        std::snprintf(text, sizeof text, "%04X:%02X", frame.command,
                      frame.bytes.size() > 6 ? frame.Payload(0) : 0);
        sent.push_back(text);
    }
    EXPECT_EQ(sent, (std::vector<std::string>{"1001:06", "1001:04", "1003:00", "4000:00", "2009:00",
                                              "2009:01", "2009:04", "2009:05", "2009:06", "2009:07",
                                              "2009:08", "2009:09", "2009:0A", "2009:0B", "4004:00",
                                              "2009:0C", "2009:0D", "2009:0E", "2009:0F", "2001:00",
                                              "1003:00", "2009:02"}));
    EXPECT_EQ(peer->Frames()[1].Payload(1), 0x80);
    EXPECT_EQ(host.log,
              (std::vector<std::string>{"create 1 bands 2 note Roof", "refresh 1 window stored"}));
    EXPECT_EQ(slot->DeviceWindow(), host.created);
    EXPECT_EQ(slot->split, 1);
    EXPECT_EQ(slot->bandSelection, (std::array<int, 8>{0, 1, 1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(slot->adjustments, (std::array<std::int8_t, 10>{1, 2, 3, 4, -1, -2, -3, -4, 8, -8}));
    EXPECT_EQ(std::tuple(slot->bandCount, slot->bandTexts[0], slot->bandTexts[1],
                         slot->calibrationTable[7][9], slot->referenceTable[5][2]),
              std::tuple(2, "LL: 1435 - 1535", "S: 2200 - 2395", 55, 61));
    EXPECT_DOUBLE_EQ(slot->gainTable[5][2], (61 - 53 - 3) * 0.25 + 3.0);
    EXPECT_EQ(slot->userNote, "Roof");
    EXPECT_EQ(slot->addressText, peer->Address());
    // The last band goes out as itself.
    slot->bandSelection[0] = UnitSlot::kBands - 1;
    EXPECT_EQ(SendSplitAndBands(*slot), 1);
    EXPECT_EQ(slot->Unit()->settings.bandSelection[0], UnitSlot::kBands - 1);
}

} // namespace
