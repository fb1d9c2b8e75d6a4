// The unit model against a scripted peer: the bytes each operation sends, how
// values are clamped, how replies are parsed, and what happens when
// exchanges fail.
#include "tests/device/ModelTestSupport.h"

#include "platform/Clock.h"

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

using testpeer::Answer;
using testpeer::PeerFrame;
using testpeer::ScriptedPeer;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<std::uint16_t> Words(std::initializer_list<std::pair<int, std::uint16_t>> set) {
    std::vector<std::uint16_t> words(64, 0);
    for (auto [index, value] : set) {
        words[index] = value;
    }
    return words;
}

// Block 0 with bands 1 (1435-1535 MHz) and 3 (2200-2395 MHz) and monitoring.
std::vector<std::uint16_t> BandBlock() {
    return Words({{2, 14350}, {3, 15350}, {6, 22000}, {7, 23950}, {50, 0x0001}});
}

class CommTest : public testpeer::PeerTest {
protected:
    // Answers `command` with `payload`; everything else with zeros.
    void AnswerWith(std::uint16_t command, Bytes payload) {
        peer->SetHandler([command, payload](const PeerFrame& frame) {
            if (frame.command == command) {
                return Answer{ScriptedPeer::Reply(command, payload)};
            }
            return Answer{ScriptedPeer::DefaultReply(frame.command)};
        });
    }
    // Answers block reads from `blocks` (block number -> words); others with zeros.
    void AnswerBlocks(std::map<int, std::vector<std::uint16_t>> blocks) {
        peer->SetHandler([blocks](const PeerFrame& frame) {
            if (frame.command == 0x2009) {
                auto it = blocks.find(frame.Payload(0));
                if (it != blocks.end()) {
                    return Answer{ScriptedPeer::BlockReply(it->second)};
                }
            }
            return Answer{ScriptedPeer::DefaultReply(frame.command)};
        });
    }
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

// ---------------------------------------------------------------------------
// Requests: exact frames, clamping, refusals that send nothing.

struct RequestCase {
    const char* name;
    std::function<int(CTM80M1_Comm&)> operation;
    int result;
    Bytes sent; // empty: nothing may be sent
};

TEST_F(CommTest, RequestsCarryTheClampedValues) {
    std::array<int, 8> bands = {0, 1, 2, 3, 4, 5, 6, 7};
    std::array<int, 8> wideBands = {17, -1, 0, 0, 0, 0, 0, 15};
    const RequestCase cases[] = {
        {"adjust 3 by -2",
         [](auto& u) { return u.SetOutputAdjustment(3, -2); },
         1,
         {0x16, 0, 0x00, 0x10, 2, 0, 3, 0xFE}},
        {"adjust 3 by 20 clamps to 12",
         [](auto& u) { return u.SetOutputAdjustment(3, 20); },
         1,
         {0x16, 0, 0x00, 0x10, 2, 0, 3, 12}},
        {"adjust 9 by -10 clamps to -8",
         [](auto& u) { return u.SetOutputAdjustment(9, -10); },
         1,
         {0x16, 0, 0x00, 0x10, 2, 0, 9, 0xF8}},
        {"adjust 7 by -13 clamps to -12",
         [](auto& u) { return u.SetOutputAdjustment(7, -13); },
         1,
         {0x16, 0, 0x00, 0x10, 2, 0, 7, 0xF4}},
        {"adjust channel 10", [](auto& u) { return u.SetOutputAdjustment(10, 0); }, 0, {}},
        {"adjust channel -1", [](auto& u) { return u.SetOutputAdjustment(-1, 0); }, 0, {}},
        {"calibration 200 clamps to 115",
         [](auto& u) { return u.SetCalibrationValue(2, 1, 0, 200); },
         1,
         {0x16, 0, 0x00, 0x30, 3, 0, 0, 115, 0x21}},
        {"calibration 3 on channel 8 clamps to 8",
         [](auto& u) { return u.SetCalibrationValue(2, 1, 8, 3); },
         1,
         {0x16, 0, 0x00, 0x30, 3, 0, 8, 8, 0x21}},
        {"calibration 5 on channel 0 clamps to 12",
         [](auto& u) { return u.SetCalibrationValue(0, 0, 0, 5); },
         1,
         {0x16, 0, 0x00, 0x30, 3, 0, 0, 12, 0x00}},
        {"calibration 255 on channel 9 clamps to 119",
         [](auto& u) { return u.SetCalibrationValue(7, 0, 9, 255); },
         1,
         {0x16, 0, 0x00, 0x30, 3, 0, 9, 119, 0x70}},
        {"calibration band 9 is sent as band 0",
         [](auto& u) { return u.SetCalibrationValue(9, 1, 1, 50); },
         1,
         {0x16, 0, 0x00, 0x30, 3, 0, 1, 50, 0x01}},
        {"calibration channel 10",
         [](auto& u) { return u.SetCalibrationValue(0, 0, 10, 50); },
         0,
         {}},
        {"calibration channel -1",
         [](auto& u) { return u.SetCalibrationValue(0, 0, -1, 50); },
         0,
         {}},
        {"calibration split 2", [](auto& u) { return u.SetCalibrationValue(0, 2, 0, 50); }, 0, {}},
        {"select band 3 split 1",
         [](auto& u) { return u.SelectCalibrationBand(1, 3); },
         1,
         {0x16, 0, 0x01, 0x30, 1, 0, 0x39}},
        {"select split 5 counts as 0",
         [](auto& u) { return u.SelectCalibrationBand(5, 2); },
         1,
         {0x16, 0, 0x01, 0x30, 1, 0, 0x28}},
        {"select band 8 counts as 0",
         [](auto& u) { return u.SelectCalibrationBand(1, 8); },
         1,
         {0x16, 0, 0x01, 0x30, 1, 0, 0x09}},
        {"select split -1", [](auto& u) { return u.SelectCalibrationBand(-1, 2); }, 0, {}},
        {"split and bands",
         [&](auto& u) { return u.SetSplitAndBands(1, bands); },
         1,
         {0x16, 0, 0x04, 0x10, 10, 0, 1, 0, 0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70}},
        {"split 3 counts as 0, bands keep their low 4 bits",
         [&](auto& u) { return u.SetSplitAndBands(3, wideBands); },
         1,
         {0x16, 0, 0x04, 0x10, 10, 0, 0, 0, 0x10, 0xF0, 0, 0, 0, 0, 0, 0xF0}},
        {"split -1", [&](auto& u) { return u.SetSplitAndBands(-1, bands); }, 0, {}},
        {"factory reset band 3",
         [](auto& u) { return u.FactoryReset(3); },
         1,
         {0x16, 0, 0x02, 0x30, 1, 0, 0x30}},
        {"factory reset band 9 is sent as band 0",
         [](auto& u) { return u.FactoryReset(9); },
         1,
         {0x16, 0, 0x02, 0x30, 1, 0, 0x00}},
        {"flash LEDs",
         [](auto& u) { return u.FlashLeds(); },
         1,
         {0x16, 0, 0x01, 0x10, 6, 0, 6, 0, 0, 0, 0, 0}},
        {"read block 12",
         [](auto& u) { return u.ReadBlock(12); },
         1,
         {0x16, 0, 0x09, 0x20, 1, 0, 12}},
        {"identity request has no payload",
         [](auto& u) {
             u.ReadIdentity();
             return 1;
         },
         1,
         {0x16, 0, 0x01, 0x20, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        peer->ClearFrames();
        EXPECT_EQ(c.operation(*unit), c.result);
        // A status read after each case shows whether the case itself sent anything.
        unit->ReadStatus();
        auto frames = peer->Frames();
        ASSERT_FALSE(frames.empty());
        if (c.sent.empty()) {
            EXPECT_EQ(frames.size(), 1u);
            EXPECT_EQ(frames.front().command, 0x2002);
        } else {
            EXPECT_EQ(frames.front().bytes, c.sent);
        }
    }
}

TEST_F(CommTest, SettingsThatSucceedAreKeptClamped) {
    ASSERT_EQ(unit->SetOutputAdjustment(3, 20), 1);
    ASSERT_EQ(unit->SetOutputAdjustment(9, -10), 1);
    EXPECT_EQ(unit->settings.adjustments[3], 12);
    EXPECT_EQ(unit->settings.adjustments[9], -8);

    ASSERT_EQ(unit->SetCalibrationValue(2, 1, 0, 200), 1);
    EXPECT_EQ(unit->calibration.calibration[2][0], 115);
    ASSERT_EQ(unit->SetCalibrationValue(9, 1, 1, 50), 1);
    EXPECT_EQ(unit->calibration.calibration[0][1], 50);

    // Split and bands, and a factory reset, leave the model alone.
    unit->settings.split = 0;
    ASSERT_EQ(unit->SetSplitAndBands(1, {1, 1, 1, 1, 1, 1, 1, 1}), 1);
    EXPECT_EQ(unit->settings.split, 0);
    EXPECT_EQ(unit->settings.bandSelection[0], 0);
    ASSERT_EQ(unit->FactoryReset(2), 1);
    EXPECT_EQ(unit->calibration.calibration[2][0], 115);
}

TEST_F(CommTest, NotesSendTheirFirstSixteenCharacters) {
    peer->SetHandler([](const PeerFrame& frame) {
        // The unit answers with what it now holds: the written characters.
        Bytes payload(frame.bytes.begin() + 7, frame.bytes.end());
        return Answer{ScriptedPeer::Reply(frame.command, payload)};
    });
    ASSERT_EQ(unit->WriteUserNote("ABCDEFGHIJKLMNOPQRS"), 1);
    ASSERT_EQ(unit->ReadUserNote(), 1);
    auto frames = peer->Frames();
    ASSERT_EQ(frames.size(), 2u);
    Bytes write = {0x16, 0, 0x03, 0x10, 17, 0, 0x80};
    for (char c : std::string("ABCDEFGHIJKLMNOP")) {
        write.push_back(static_cast<std::uint8_t>(c));
    }
    EXPECT_EQ(frames[0].bytes, write);
    Bytes read = {0x16, 0, 0x03, 0x10, 17, 0};
    read.resize(23, 0);
    EXPECT_EQ(frames[1].bytes, read);
    EXPECT_STREQ(unit->identity.userNote.data(), "");

    ASSERT_EQ(unit->WriteUserNote("short"), 1);
    EXPECT_STREQ(unit->identity.userNote.data(), "short");
}

// ---------------------------------------------------------------------------
// Replies: parsing and clamping.

TEST_F(CommTest, StatusReplies) {
    struct Case {
        Bytes tail; // reply bytes 8-11
        double temperature, voltage, current;
    };
    const Case cases[] = {
        {{0x2D, 0x00, 0x78, 0x0F}, 45, 12.0, 1.5},
        {{0x2D, 0xFF, 0x9C, 0x0F}, 45, -10.0, 1.5},
        {{0xF6, 0x01, 0x00, 0xFF}, -10, 25.6, 25.5},
    };
    for (const auto& c : cases) {
        Bytes payload = {9, 9, 9, 9, 9, 9, 9, 9};
        payload.insert(payload.end(), c.tail.begin(), c.tail.end());
        AnswerWith(0x2002, payload);
        ASSERT_EQ(unit->ReadStatus(), 1);
        EXPECT_DOUBLE_EQ(unit->status.temperature, c.temperature);
        EXPECT_DOUBLE_EQ(unit->status.voltage, c.voltage);
        EXPECT_DOUBLE_EQ(unit->status.current, c.current);
    }
}

TEST_F(CommTest, SplitAndBandReplies) {
    AnswerWith(0x4004, {0xFF, 0xAA, 0x90, 0x70, 0x85, 0x10, 0x2F, 0xF0, 0x00, 0x30});
    unit->settings.bandSelection.fill(5);
    ASSERT_EQ(unit->ReadSplitAndBands(), 1);
    EXPECT_EQ(unit->settings.split, 1);
    EXPECT_EQ(unit->settings.bandSelection, (std::array<int, 8>{0, 7, 0, 1, 2, 0, 0, 3}));
}

TEST_F(CommTest, AdjustmentRepliesAreClampedPerChannel) {
    AnswerWith(0x4000, {20, 0xEC, 5, 0xFB, 12, 0xF4, 13, 0x80, 9, 0xF7});
    ASSERT_EQ(unit->ReadOutputAdjustments(), 1);
    EXPECT_EQ(unit->settings.adjustments,
              (std::array<std::int8_t, 10>{12, -12, 5, -5, 12, -12, 12, -12, 8, -8}));
}

TEST_F(CommTest, CalibrationBandReply) {
    AnswerWith(0x3001, {0x51});
    ASSERT_EQ(unit->SelectCalibrationBand(0, 5), 1);
    EXPECT_EQ(unit->calibration.calibrationBand, 5);
    EXPECT_EQ(unit->calibration.calibrationSplit, 1);
    AnswerWith(0x3001, {0x90});
    ASSERT_EQ(unit->SelectCalibrationBand(1, 3), 1);
    EXPECT_EQ(unit->calibration.calibrationBand, 0);
    EXPECT_EQ(unit->calibration.calibrationSplit, 0);
}

TEST_F(CommTest, IdentityAndSerialNumber) {
    std::vector<std::uint16_t> product(64, 0);
    std::string text = "TM80M Multicoupler";
    for (std::size_t i = 0; i < text.size(); ++i) {
        product[i] = static_cast<std::uint16_t>(0x4100 | static_cast<std::uint8_t>(text[i]));
    }
    peer->SetHandler([product](const PeerFrame& frame) {
        switch (frame.command) {
        case 0x2001:
            return Answer{
                ScriptedPeer::Reply(0x2001, {'8',  '0',  'M', '1', 0x00, 0xAB, 0x00, 17, 0xDE, 0xAD,
                                             0xBE, 0xEF, 1,   2,   3,    4,    5,    6,  7,    8})};
        case 0x1003: {
            Bytes note = {'B', 'e', 'n', 'c', 'h', ' ', '4'};
            note.resize(16, 0);
            return Answer{ScriptedPeer::Reply(0x1003, note)};
        }
        case 0x2009:
            return Answer{ScriptedPeer::BlockReply(product)};
        default:
            return Answer{ScriptedPeer::DefaultReply(frame.command)};
        }
    });
    // The serial number text reads the identity on first demand only.
    EXPECT_EQ(unit->SerialNumberText(), "00AB-17");
    EXPECT_EQ(unit->SerialNumberText(), "00AB-17");
    EXPECT_EQ(peer->Frames().size(), 3u);

    EXPECT_EQ(unit->identity.identityRead, 1);
    EXPECT_STREQ(unit->identity.modelCode.data(), "80M1");
    EXPECT_EQ(unit->identity.firmware, 0xDEADBEEFu);
    EXPECT_STREQ(unit->identity.userNote.data(), "Bench 4");
    EXPECT_STREQ(unit->identity.productIdentifier.data(), "TM80M Multicoupler");
    EXPECT_EQ(BlocksRequested(), std::vector<int>{2});
}

TEST_F(CommTest, UnitDataFillsBandsMonitoringAndNote) {
    std::vector<std::uint16_t> noteBlock(64, 0);
    const char* note = "Mast 3, rack 12!";
    for (int k = 0; k < 8; ++k) {
        noteBlock[16 + k] = static_cast<std::uint16_t>((note[2 * k] << 8) | note[2 * k + 1]);
    }
    AnswerBlocks({{0, BandBlock()}, {1, noteBlock}});
    ASSERT_EQ(unit->ReadUnitData(), 1);
    EXPECT_EQ(BlocksRequested(), (std::vector<int>{0, 1, 4, 5, 6, 7, 8, 9, 10, 11}));

    const auto& bands = unit->bandTable;
    EXPECT_EQ(bands.monitoring, 1);
    EXPECT_EQ(bands.lower[1], 1435000000);
    EXPECT_EQ(bands.upper[1], 1535000000);
    EXPECT_EQ(bands.lower[3], 2200000000);
    EXPECT_EQ(bands.upper[3], 2395000000);
    EXPECT_EQ(bands.bandList[0].lower, 1435000000);
    EXPECT_EQ(bands.bandList[0].position, 0u);
    EXPECT_EQ(bands.bandList[1].upper, 2395000000);
    EXPECT_EQ(bands.bandList[1].position, 1u);
    for (int e = 2; e < 8; ++e) {
        EXPECT_EQ(bands.bandList[e].lower, 0);
        EXPECT_EQ(bands.bandList[e].upper, 0);
        EXPECT_EQ(bands.bandList[e].position, 8u);
    }
    EXPECT_STREQ(unit->identity.userNote.data(), note);
}

TEST(BandList, PacksPresentBandsInOrder) {
    CTM80M1_Comm unit(nullptr);
    // A band needs both edges; band 0 has only an upper edge.
    unit.bandTable.upper[0] = 500000000;
    unit.bandTable.lower[2] = 300000000;
    unit.bandTable.upper[2] = 320000000;
    unit.bandTable.lower[7] = 5100000000;
    unit.bandTable.upper[7] = 5200000000;
    unit.bandTable.bandList[5] = {1, 2, 3}; // stale entries are cleared
    unit.BuildBandList();
    EXPECT_EQ(unit.bandTable.bandList[0].lower, 300000000);
    EXPECT_EQ(unit.bandTable.bandList[0].position, 0u);
    EXPECT_EQ(unit.bandTable.bandList[1].lower, 5100000000);
    EXPECT_EQ(unit.bandTable.bandList[1].position, 1u);
    for (int e = 2; e < 8; ++e) {
        EXPECT_EQ(unit.bandTable.bandList[e].upper, 0);
        EXPECT_EQ(unit.bandTable.bandList[e].position, 8u);
    }
}

TEST_F(CommTest, CalibrationAndReferenceTables) {
    auto rows = [](int base) {
        std::vector<std::uint16_t> words(64, 0);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 10; ++c) {
                words[16 * r + c] = static_cast<std::uint16_t>(0x7700 + base + 10 * r + c);
            }
        }
        return words;
    };
    AnswerBlocks({{12, rows(0)}, {13, rows(40)}, {14, rows(100)}, {15, rows(140)}});
    ASSERT_EQ(unit->ReadCalibrationTable(), 1);
    ASSERT_EQ(unit->ReadReferenceTable(), 1);
    EXPECT_EQ(BlocksRequested(), (std::vector<int>{12, 13, 14, 15}));
    for (int b = 0; b < 8; ++b) {
        for (int c = 0; c < 10; ++c) {
            EXPECT_EQ(unit->calibration.calibration[b][c], 10 * b + c);
            EXPECT_EQ(unit->calibration.reference[b][c], 100 + 10 * b + c);
        }
    }
}

// ---------------------------------------------------------------------------
// Failures: silent units, partial replies, a unit that goes away.

TEST_F(CommTest, SilentUnitEmptiesTheNoteAndZeroesTheStatus) {
    std::strcpy(unit->identity.userNote.data(), "old note");
    unit->status = {30, 12, 1};
    unit->settings.split = 1;
    peer->SetHandler([](const PeerFrame&) { return Answer{}; });

    std::int64_t start = win::ProcessClock();
    EXPECT_EQ(unit->ReadUserNote(), 0);
    EXPECT_GE(win::ProcessClock() - start, 1000);
    EXPECT_STREQ(unit->identity.userNote.data(), "");

    EXPECT_EQ(unit->ReadStatus(), 0);
    EXPECT_EQ(unit->status.temperature, 0);
    EXPECT_EQ(unit->status.voltage, 0);
    EXPECT_EQ(unit->status.current, 0);

    // Other reads leave the model alone.
    EXPECT_EQ(unit->ReadSplitAndBands(), 0);
    EXPECT_EQ(unit->settings.split, 1);
    EXPECT_EQ(unit->ReadIdentity(), 0);
    EXPECT_EQ(unit->identity.identityRead, 0);
}

TEST_F(CommTest, FailedBlockReadsStillFillTablesFromWhatArrived) {
    // Block 12 arrives whole, block 13 only up to word 20: rows 4 and 5 get
    // what came, rows 6 and 7 get zeros, and the read fails.
    std::vector<std::uint16_t> full(64, 0);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 10; ++c) {
            full[16 * r + c] = static_cast<std::uint16_t>(20 + r);
        }
    }
    peer->SetHandler([full](const PeerFrame& frame) {
        Bytes reply = ScriptedPeer::BlockReply(full);
        if (frame.Payload(0) == 13) {
            reply.resize(6 + 2 * 20);
        }
        return Answer{reply};
    });
    EXPECT_EQ(unit->ReadCalibrationTable(), 0);
    EXPECT_EQ(unit->calibration.calibration[0][0], 20);
    EXPECT_EQ(unit->calibration.calibration[3][9], 23);
    EXPECT_EQ(unit->calibration.calibration[4][9], 20);
    EXPECT_EQ(unit->calibration.calibration[5][3], 21);
    EXPECT_EQ(unit->calibration.calibration[5][4], 0);
    EXPECT_EQ(unit->calibration.calibration[7][0], 0);
}

TEST_F(CommTest, FailedFirstBlockRepeatsItsRowsAndSkipsTheSecond) {
    std::vector<std::uint16_t> words(64, 0);
    for (int w = 0; w < 64; ++w) {
        words[w] = static_cast<std::uint16_t>(50 + w);
    }
    peer->SetHandler([words](const PeerFrame&) {
        Bytes reply = ScriptedPeer::BlockReply(words);
        reply.resize(6 + 2 * 36); // rows 0-1 and part of row 2
        return Answer{reply};
    });
    EXPECT_EQ(unit->ReadReferenceTable(), 0);
    EXPECT_EQ(BlocksRequested(), std::vector<int>{14});
    const auto& table = unit->calibration.reference;
    EXPECT_EQ(table[0][0], 50);
    EXPECT_EQ(table[2][3], 50 + 35);
    EXPECT_EQ(table[2][4], 0);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(table[4 + r], table[r]);
    }
}

TEST_F(CommTest, FailedBandBlockSkipsTheNoteBlockButStillTakesTheNote) {
    std::strcpy(unit->identity.userNote.data(), "old note");
    peer->SetHandler([](const PeerFrame&) {
        Bytes reply = ScriptedPeer::BlockReply(BandBlock());
        reply.resize(6 + 2 * 4); // bands 0 and 1 only
        return Answer{reply};
    });
    EXPECT_EQ(unit->ReadUnitData(), 0);
    EXPECT_EQ(BlocksRequested(), std::vector<int>{0});
    EXPECT_EQ(unit->bandTable.lower[1], 1435000000);
    EXPECT_EQ(unit->bandTable.lower[3], 0);
    EXPECT_EQ(unit->bandTable.bandList[0].upper, 1535000000);
    EXPECT_STREQ(unit->identity.userNote.data(), "");
}

TEST_F(CommTest, TextBlocksStopAtTheFirstFailure) {
    peer->SetHandler([](const PeerFrame& frame) {
        if (frame.Payload(0) == 6) {
            return Answer{};
        }
        return Answer{ScriptedPeer::BlockReply(BandBlock())};
    });
    EXPECT_EQ(unit->ReadUnitData(), 0);
    EXPECT_EQ(BlocksRequested(), (std::vector<int>{0, 1, 4, 5, 6}));
    EXPECT_EQ(unit->bandTable.bandList[1].position, 1u);
}

TEST_F(CommTest, UnitClosingMidReplyLeavesAnEmptyNote) {
    peer->SetHandler([](const PeerFrame&) {
        return Answer{{0x16, 0, 0x03, 0x10, 16, 0, 'A', 'B', 'C', 'D'}, true};
    });
    std::strcpy(unit->identity.userNote.data(), "old note");
    std::int64_t start = win::ProcessClock();
    unit->ReadUserNote();
    EXPECT_STREQ(unit->identity.userNote.data(), "ABCD");
    // The note check relies on a vanished unit reading as an empty note, quickly.
    unit->ReadUserNote();
    EXPECT_STREQ(unit->identity.userNote.data(), "");
    EXPECT_LT(win::ProcessClock() - start, 1500);
    EXPECT_EQ(peer->Frames().size(), 1u);
}

} // namespace
