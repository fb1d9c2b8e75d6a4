// The unit slot: band names and texts, gains, the open sequence against a
// scripted peer, the window seam, and the order of destruction.
#include "device/UnitSlot.h"
#include "device/PageSetupParts.h"
#include "device/UnitFlags.h"
#include "tests/device/ScriptedPeer.h"

using namespace testpeer;

namespace {

constexpr std::int64_t MHz = 1000000;

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
    EXPECT_EQ(slot.bandEntries[1].name, "S");
    EXPECT_EQ(slot.bandEntries[1].position, 1u);
    EXPECT_EQ(slot.bandEntries[3].position, 8u);
    // A band that goes away leaves its entry's name and text behind; the count tells.
    bands.lower[3] = 0;
    bands.lower[6] = 0;
    slot.BuildBandTexts();
    EXPECT_EQ(slot.bandCount, 1);
    EXPECT_EQ(slot.bandEntries[1].lower, 0);
    EXPECT_EQ(slot.bandEntries[1].position, 8u);
    EXPECT_EQ(slot.bandEntries[1].name, "S");
    EXPECT_EQ(slot.bandTexts[1], "S: 2200 - 2395");

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
    std::map<int, std::vector<std::uint16_t>> blocks;
    for (int b : {0, 1, 12, 13, 14, 15}) {
        blocks[b].resize(64);
        for (int r = 0; r < 4 && b >= 12; ++r) {
            std::fill_n(blocks[b].begin() + 16 * r, 10, b * 4 + r);
        }
    }
    blocks[0][2] = 14350;
    blocks[0][3] = 15350;
    blocks[0][6] = 22000;
    blocks[0][7] = 23950;
    blocks[1][16] = ('R' << 8) | 'o'; // the note the unit keeps, two characters a word
    blocks[1][17] = ('o' << 8) | 'f';
    return ScriptedPeer::Answering(
        {{0x1003, {'R', 'o', 'o', 'f', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
         {0x4000, {1, 2, 3, 4, 0xFF, 0xFE, 0xFD, 0xFC, 8, 0xF8}},
         {0x4004, {0x01, 0, 0x00, 0x10, 0x10, 0x00, 0x10, 0, 0, 0x10}}},
        blocks);
}

using Log = std::vector<std::string>;

class RecordingWindow : public UnitDeviceWindow {
public:
    explicit RecordingWindow(Log& log) : log_(log) {}
    ~RecordingWindow() override { log_.push_back("window"); }

private:
    Log& log_;
};

class RecordingHost : public UnitSlotHost {
public:
    std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) override {
        log.push_back("create " + std::to_string(slot.Index()) + " bands " +
                      std::to_string(slot.bandCount) + " note " + slot.userNote);
        auto window = std::make_unique<RecordingWindow>(log);
        created = window.get();
        return window;
    }
    void RefreshMainWindow(UnitSlot& slot) override {
        log.push_back("refresh " + std::to_string(slot.Index()) + " window " +
                      (slot.DeviceWindow() == created ? "stored" : "missing"));
    }
    Log log;
    UnitDeviceWindow* created = nullptr;
};

// The connection is closed (the unit sees it go) before the unit object and
// the window are destroyed.
class RecordingComm : public CTM80M1_Comm {
public:
    RecordingComm(TCPCom* connection, Log& log, const ScriptedPeer& peer)
        : CTM80M1_Comm(connection), log_(log), peer_(peer) {}
    ~RecordingComm() override {
        log_.push_back("unit, peer saw close: " + std::to_string(peer_.ClosedConnections()));
    }

private:
    Log& log_;
    const ScriptedPeer& peer_;
};

class SlotTest : public PeerTest {
protected:
    std::unique_ptr<UnitSlot> MakeSlot(std::unique_ptr<CTM80M1_Comm> comm = nullptr) {
        if (connection == nullptr) {
            connection = std::make_unique<TCPCom>(peer->Address().c_str());
        }
        if (comm == nullptr) {
            comm = std::make_unique<CTM80M1_Comm>(connection.get());
        }
        unit.reset();
        return std::make_unique<UnitSlot>(1, std::move(connection), std::move(comm));
    }
};

TEST_F(SlotTest, OpenReadsTheUnitInOrderAndFillsTheCopies) {
    peer->SetHandler(RichUnit());
    RecordingHost host; // outlives the slot, whose window reports to it
    auto slot = MakeSlot();
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
    EXPECT_EQ(slot->bandCount, 2);
    EXPECT_EQ(slot->bandTexts[0], "LL: 1435 - 1535");
    EXPECT_EQ(slot->bandTexts[1], "S: 2200 - 2395");
    EXPECT_EQ(slot->calibrationTable[7][9], 55);
    EXPECT_EQ(slot->referenceTable[5][2], 61);
    EXPECT_DOUBLE_EQ(slot->gainTable[5][2], (61 - 53 - 3) * 0.25 + 3.0);
    EXPECT_EQ(slot->userNote, "Roof");
    EXPECT_EQ(slot->addressText, peer->Address());
    // The last band goes out as itself.
    slot->bandSelection[0] = UnitSlot::kBands - 1;
    EXPECT_EQ(SendSplitAndBands(*slot), 1);
    EXPECT_EQ(slot->Unit()->settings.bandSelection[0], UnitSlot::kBands - 1);
}

} // namespace
