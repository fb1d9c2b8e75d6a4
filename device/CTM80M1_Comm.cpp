#include "device/CTM80M1_Comm.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstdio>

namespace {

void PutLittleEndian(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

CTM80M1_Comm::CTM80M1_Comm(TCPCom* connection) : connection_(connection) {}

int CTM80M1_Comm::ReceiveReply(std::uint8_t* reply, int count, std::int64_t start, int budgetMs) {
    int index = 0;
    while (index < count) {
        if (connection_->ReceiveByte(&reply[index]) != 0) {
            ++index;
        }
        // The budget is checked after every attempt, even one that completed the reply.
        if (win::ProcessClock() - start >= budgetMs) {
            return 0;
        }
    }
    return 1;
}

int CTM80M1_Comm::Transact(std::uint16_t command, std::uint8_t* request,
                           std::uint16_t requestPayloadLength, std::uint8_t* reply,
                           std::uint16_t replyPayloadLength) {
    PutLittleEndian(request, kUnitType);
    PutLittleEndian(request + 2, command);
    PutLittleEndian(request + 4, requestPayloadLength);
    int sendLength = (kHeaderSize + requestPayloadLength) % 65536;
    if (connection_->Send(request, sendLength) == 0) {
        return 0;
    }
    std::int64_t start = win::ProcessClock();
    return ReceiveReply(reply, kHeaderSize + replyPayloadLength, start, budget_);
}

int CTM80M1_Comm::ControlExchange(std::uint8_t* request, std::uint8_t* reply) {
    connection_->FlushInput();
    PutLittleEndian(request, kUnitType);
    PutLittleEndian(request + 2, kControl);
    PutLittleEndian(request + 4, kControlFrameSize - kHeaderSize);
    if (connection_->Send(request, kControlFrameSize) == 0) {
        return 0;
    }
    std::int64_t start = win::ProcessClock();
    return ReceiveReply(reply, kControlFrameSize, start, kControlBudgetMs);
}

namespace {

constexpr int kBlockWords = 64;
constexpr std::uint16_t kBlockReplyLength = 2 * kBlockWords;
constexpr std::uint16_t kIdentityReplyLength = 20;
constexpr std::uint16_t kStatusReplyLength = 12;
constexpr std::uint16_t kNoteRequestLength = 1 + UnitIdentity::kNoteLength;
constexpr std::uint16_t kNoteReplyLength = UnitIdentity::kNoteLength;
constexpr std::uint16_t kAdjustmentsReplyLength = UnitSettings::kChannels;
constexpr std::uint16_t kSplitAndBandsLength = 10;
constexpr std::uint8_t kNoteRead = 0x00;
constexpr std::uint8_t kNoteWrite = 0x80;
constexpr std::int64_t kBandEdgeUnitHz = 100000; // block 0 gives edges in 100 kHz

// Blocks the unit model reads with 0x2009.
constexpr int kBandBlock = 0;
constexpr int kNoteBlock = 1;
constexpr int kProductBlock = 2;
constexpr int kFirstTextBlock = 4;
constexpr int kLastTextBlock = 11;
constexpr int kCalibrationBlock = 12;
constexpr int kReferenceBlock = 14;
constexpr int kMonitoringWord = 50;
constexpr int kNoteFirstWord = 16;

// A request or reply frame: header plus payload, zero-filled.
template <std::size_t PayloadLength>
using Frame = std::array<std::uint8_t, CTM80M1_Comm::kHeaderSize + PayloadLength>;

std::uint16_t BigEndian16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

std::uint32_t BigEndian32(const std::uint8_t* at) {
    return (static_cast<std::uint32_t>(at[0]) << 24) | (static_cast<std::uint32_t>(at[1]) << 16) |
           (static_cast<std::uint32_t>(at[2]) << 8) | at[3];
}

// A band position in the high nibble, as 0x1004, 0x3000 and 0x3002 carry it.
std::uint8_t HighNibble(int band) {
    return static_cast<std::uint8_t>((static_cast<unsigned>(band) << 4) & 0xFF);
}

bool IsBand(int band) {
    return band >= 0 && band < UnitBandTable::kBands;
}

} // namespace

int CTM80M1_Comm::ReadBlock(int block) {
    Frame<1> request{};
    request[kHeaderSize] = static_cast<std::uint8_t>(block);
    Frame<kBlockReplyLength> reply{};
    int ok = Transact(kReadBlock, request.data(), 1, reply.data(), kBlockReplyLength);
    // Taken whether or not the read succeeded: callers use what arrived.
    const std::uint8_t* words = reply.data() + kHeaderSize;
    for (int w = 0; w < kBlockWords; ++w) {
        blockBuffer_[w] = static_cast<std::uint16_t>(words[2 * w] | (words[2 * w + 1] << 8));
    }
    return ok;
}

int CTM80M1_Comm::ReadIdentity() {
    Frame<0> request{};
    Frame<kIdentityReplyLength> reply{};
    if (Transact(kReadIdentity, request.data(), 0, reply.data(), kIdentityReplyLength) == 0) {
        return 0;
    }
    const std::uint8_t* payload = reply.data() + kHeaderSize;
    for (std::size_t i = 0; i < UnitIdentity::kModelCodeLength; ++i) {
        identity.modelCode[i] = static_cast<char>(payload[i]);
    }
    identity.modelCode[UnitIdentity::kModelCodeLength] = '\0';
    identity.serialHigh = BigEndian16(payload + 4);
    identity.serialLow = BigEndian16(payload + 6);
    identity.firmware = BigEndian32(payload + 8);
    identity.identityRead = 1;

    if (ReadUserNote() == 0) {
        return 0;
    }
    int ok = ReadBlock(kProductBlock);
    for (std::size_t i = 0; i < UnitIdentity::kProductLength; ++i) {
        identity.productIdentifier[i] = static_cast<char>(blockBuffer_[i] & 0xFF);
    }
    identity.productIdentifier[UnitIdentity::kProductLength] = '\0';
    return ok;
}

std::string CTM80M1_Comm::SerialNumberText() {
    if (identity.identityRead == 0) {
        ReadIdentity();
    }
    char text[32];
    std::snprintf(text, sizeof text, "%4.4X-%u", static_cast<unsigned>(identity.serialHigh),
                  static_cast<unsigned>(identity.serialLow));
    return text;
}

int CTM80M1_Comm::ExchangeNote(std::uint8_t mode, std::string_view text) {
    Frame<kNoteRequestLength> request{};
    request[kHeaderSize] = mode;
    std::size_t length = std::min(text.size(), UnitIdentity::kNoteLength);
    for (std::size_t i = 0; i < length; ++i) {
        request[kHeaderSize + 1 + i] = static_cast<std::uint8_t>(text[i]);
    }
    Frame<kNoteReplyLength> reply{};
    int ok =
        Transact(kUserNote, request.data(), kNoteRequestLength, reply.data(), kNoteReplyLength);
    // Kept even after a failure: an empty note tells the note check the unit went silent.
    for (std::size_t i = 0; i < UnitIdentity::kNoteLength; ++i) {
        identity.userNote[i] = static_cast<char>(reply[kHeaderSize + i]);
    }
    identity.userNote[UnitIdentity::kNoteLength] = '\0';
    return ok;
}

int CTM80M1_Comm::ReadUserNote() {
    return ExchangeNote(kNoteRead, {});
}

int CTM80M1_Comm::WriteUserNote(std::string_view text) {
    return ExchangeNote(kNoteWrite, text);
}

int CTM80M1_Comm::ReadUnitData() {
    int bandsRead = ReadBlock(kBandBlock);
    bandTable.monitoring = blockBuffer_[kMonitoringWord] & 0x01;
    for (int b = 0; b < UnitBandTable::kBands; ++b) {
        bandTable.lower[b] = static_cast<std::int64_t>(blockBuffer_[2 * b]) * kBandEdgeUnitHz;
        bandTable.upper[b] = static_cast<std::int64_t>(blockBuffer_[2 * b + 1]) * kBandEdgeUnitHz;
    }
    BuildBandList();

    int noteRead = bandsRead != 0 ? ReadBlock(kNoteBlock) : 0;
    // Each word carries two note characters, high byte first.
    for (std::size_t k = 0; k < UnitIdentity::kNoteLength / 2; ++k) {
        std::uint16_t word = blockBuffer_[kNoteFirstWord + k];
        identity.userNote[2 * k] = static_cast<char>(word >> 8);
        identity.userNote[2 * k + 1] = static_cast<char>(word & 0xFF);
    }
    identity.userNote[UnitIdentity::kNoteLength] = '\0';
    if (bandsRead == 0 || noteRead == 0) {
        return 0;
    }
    // The band name texts of blocks 4 to 11 are read as the unit expects, but not kept.
    for (int block = kFirstTextBlock; block <= kLastTextBlock; ++block) {
        if (ReadBlock(block) == 0) {
            return 0;
        }
    }
    return 1;
}

void CTM80M1_Comm::BuildBandList() {
    bandTable.bandList.fill(UnitBandTable::Entry{});
    std::uint32_t n = 0;
    for (int b = 0; b < UnitBandTable::kBands; ++b) {
        if (bandTable.lower[b] != 0 && bandTable.upper[b] != 0) {
            bandTable.bandList[n] = {bandTable.lower[b], bandTable.upper[b], n};
            ++n;
        }
    }
}

std::int8_t CTM80M1_Comm::ClampAdjustment(int channel, int value) {
    int bound = channel < UnitSettings::kOutputs ? 12 : 8;
    if (value > bound) {
        value = bound;
    }
    if (value < -bound) {
        value = -bound;
    }
    return static_cast<std::int8_t>(value);
}

std::uint8_t CTM80M1_Comm::ClampCalibration(int channel, std::uint8_t value) {
    std::uint8_t low = channel < UnitSettings::kOutputs ? 12 : 8;
    std::uint8_t high = channel < UnitSettings::kOutputs ? 115 : 119;
    if (value > high) {
        value = high;
    }
    if (value < low) {
        value = low;
    }
    return value;
}

int CTM80M1_Comm::ReadOutputAdjustments() {
    Frame<0> request{};
    Frame<kAdjustmentsReplyLength> reply{};
    if (Transact(kReadOutputAdjustments, request.data(), 0, reply.data(),
                 kAdjustmentsReplyLength) == 0) {
        return 0;
    }
    for (int c = 0; c < UnitSettings::kChannels; ++c) {
        settings.adjustments[c] =
            ClampAdjustment(c, static_cast<std::int8_t>(reply[kHeaderSize + c]));
    }
    return 1;
}

int CTM80M1_Comm::SetOutputAdjustment(int channel, std::int8_t value) {
    if (channel < 0 || channel >= UnitSettings::kChannels) {
        return 0;
    }
    std::int8_t clamped = ClampAdjustment(channel, value);
    Frame<2> request{};
    request[kHeaderSize] = static_cast<std::uint8_t>(channel);
    request[kHeaderSize + 1] = static_cast<std::uint8_t>(clamped);
    Frame<0> reply{};
    if (Transact(kSetOutputAdjustment, request.data(), 2, reply.data(), 0) == 0) {
        return 0;
    }
    settings.adjustments[channel] = clamped;
    return 1;
}

int CTM80M1_Comm::ReadSplitAndBands() {
    Frame<0> request{};
    Frame<kSplitAndBandsLength> reply{};
    if (Transact(kReadSplitAndBands, request.data(), 0, reply.data(), kSplitAndBandsLength) == 0) {
        return 0;
    }
    const std::uint8_t* payload = reply.data() + kHeaderSize;
    settings.split = payload[0] & 0x01;
    for (int k = 0; k < UnitSettings::kOutputs; ++k) {
        int band = payload[2 + k] >> 4;
        settings.bandSelection[k] = IsBand(band) ? band : 0;
    }
    return 1;
}

int CTM80M1_Comm::SetSplitAndBands(int split, const std::array<int, UnitSettings::kOutputs>& band) {
    if (split < 0) {
        return 0;
    }
    if (split >= 2) {
        split = 0;
    }
    Frame<kSplitAndBandsLength> request{};
    request[kHeaderSize] = static_cast<std::uint8_t>(split);
    for (int k = 0; k < UnitSettings::kOutputs; ++k) {
        request[kHeaderSize + 2 + k] = HighNibble(band[k]);
    }
    Frame<0> reply{};
    return Transact(kSetSplitAndBands, request.data(), kSplitAndBandsLength, reply.data(), 0);
}

int CTM80M1_Comm::ReadStatus() {
    Frame<0> request{};
    Frame<kStatusReplyLength> reply{};
    if (Transact(kReadStatus, request.data(), 0, reply.data(), kStatusReplyLength) == 0) {
        status = UnitStatus{};
        return 0;
    }
    const std::uint8_t* payload = reply.data() + kHeaderSize;
    status.temperature = static_cast<std::int8_t>(payload[8]);
    status.voltage = static_cast<std::int16_t>(BigEndian16(payload + 9)) / 10.0;
    status.current = payload[11] / 10.0;
    return 1;
}

int CTM80M1_Comm::SelectCalibrationBand(int split, int band) {
    if (split >= 2) {
        split = 0;
    }
    if (!IsBand(band)) {
        band = 0;
    }
    // A negative split is refused before it is kept, so the calibration split stays 0 or 1.
    if (split < 0) {
        return 0;
    }
    calibration.calibrationSplit = split;
    Frame<1> request{};
    request[kHeaderSize] = static_cast<std::uint8_t>(HighNibble(band) | 0x08 | split);
    Frame<1> reply{};
    if (Transact(kSelectCalibrationBand, request.data(), 1, reply.data(), 1) == 0) {
        return 0;
    }
    int reported = reply[kHeaderSize] >> 4;
    calibration.calibrationBand = IsBand(reported) ? reported : 0;
    calibration.calibrationSplit = reply[kHeaderSize] & 0x01;
    return 1;
}

int CTM80M1_Comm::SetCalibrationValue(int band, int split, int channel, std::uint8_t value) {
    if (channel < 0 || channel >= UnitCalibration::kChannels) {
        return 0;
    }
    std::uint8_t clamped = ClampCalibration(channel, value);
    if (split != 0 && split != 1) {
        return 0;
    }
    // The unit is sent band 0 for a band out of range; the table follows what was sent.
    if (!IsBand(band)) {
        band = 0;
    }
    Frame<3> request{};
    request[kHeaderSize] = static_cast<std::uint8_t>(channel);
    request[kHeaderSize + 1] = clamped;
    request[kHeaderSize + 2] = static_cast<std::uint8_t>(HighNibble(band) | split);
    Frame<0> reply{};
    if (Transact(kSetCalibrationValue, request.data(), 3, reply.data(), 0) == 0) {
        return 0;
    }
    calibration.calibration[band][channel] = clamped;
    return 1;
}

int CTM80M1_Comm::FactoryReset(int band) {
    if (!IsBand(band)) {
        band = 0;
    }
    Frame<1> request{};
    request[kHeaderSize] = HighNibble(band);
    Frame<0> reply{};
    return Transact(kFactoryReset, request.data(), 1, reply.data(), 0);
}

void CTM80M1_Comm::TakeTableRows(UnitCalibration::Table& table, int first) const {
    // Four rows per block, sixteen words apart, one channel value per word's low byte.
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < UnitCalibration::kChannels; ++c) {
            table[first + r][c] = static_cast<std::uint8_t>(blockBuffer_[16 * r + c] & 0xFF);
        }
    }
}

int CTM80M1_Comm::ReadTable(UnitCalibration::Table& table, int firstBlock) {
    int firstRead = ReadBlock(firstBlock);
    TakeTableRows(table, 0);
    // Without the second block, rows 4-7 repeat what the first one left.
    int secondRead = firstRead != 0 ? ReadBlock(firstBlock + 1) : 0;
    TakeTableRows(table, 4);
    return firstRead != 0 && secondRead != 0 ? 1 : 0;
}

int CTM80M1_Comm::ReadCalibrationTable() {
    return ReadTable(calibration.calibration, kCalibrationBlock);
}

int CTM80M1_Comm::ReadReferenceTable() {
    return ReadTable(calibration.reference, kReferenceBlock);
}

int CTM80M1_Comm::FlashLeds() {
    std::array<std::uint8_t, kControlFrameSize> request{};
    request[kHeaderSize] = kControlFlashLeds;
    std::array<std::uint8_t, kControlFrameSize> reply{};
    return ControlExchange(request.data(), reply.data());
}
