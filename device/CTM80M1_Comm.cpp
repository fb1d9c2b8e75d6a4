#include "device/CTM80M1_Comm.h"

#include "device/UnitWorker.h"

#include <algorithm>

using namespace unitprotocol;

CTM80M1_Comm::CTM80M1_Comm(TCPCom* connection) : connection_(connection) {}

bool CTM80M1_Comm::Busy() const {
    return worker_ != nullptr && worker_->Busy();
}

int CTM80M1_Comm::Run(ByteExchange& exchange) {
    if (worker_ == nullptr) {
        exchange.Run(*connection_);
    } else {
        // The worker fills a copy; this thread takes it back once the wait is over.
        auto onWorker = std::make_shared<ByteExchange>(exchange);
        TCPCom* connection = connection_;
        worker_->Run([connection, onWorker] { onWorker->Run(*connection); });
        exchange = *onWorker;
    }
    connectionGone_ = exchange.connectionGone;
    return exchange.result;
}

void CTM80M1_Comm::Post(std::shared_ptr<ByteExchange> exchange,
                        std::function<void(const ByteExchange&)> take) {
    auto taken = [this, exchange, take = std::move(take)] {
        connectionGone_ = exchange->connectionGone;
        take(*exchange);
    };
    if (worker_ == nullptr) {
        exchange->Run(*connection_);
        taken();
        return;
    }
    TCPCom* connection = connection_;
    worker_->Post([connection, exchange] { exchange->Run(*connection); }, std::move(taken));
}

int CTM80M1_Comm::Transact(std::uint16_t command, std::uint8_t* request,
                           std::uint16_t requestPayloadLength, std::uint8_t* reply,
                           std::uint16_t replyPayloadLength) {
    WriteHeader(request, command, requestPayloadLength);
    ByteExchange exchange;
    exchange.request.assign(request, request + kHeaderSize + requestPayloadLength);
    exchange.reply.assign(reply, reply + kHeaderSize + replyPayloadLength);
    exchange.budgetMs = budget_;
    const int result = Run(exchange);
    std::copy(exchange.reply.begin(), exchange.reply.end(), reply);
    return result;
}

int CTM80M1_Comm::ControlExchange(std::uint8_t* request, std::uint8_t* reply) {
    constexpr int kFrameSize = kHeaderSize + RequestLength(kControl);
    static_assert(kFrameSize == kHeaderSize + ReplyLength(kControl));
    WriteHeader(request, kControl, RequestLength(kControl));
    ByteExchange exchange;
    exchange.request.assign(request, request + kFrameSize);
    exchange.reply.assign(reply, reply + kFrameSize);
    exchange.budgetMs = kControlBudgetMs;
    const int result = Run(exchange);
    std::copy(exchange.reply.begin(), exchange.reply.end(), reply);
    return result;
}

namespace {

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

// A band position in the high nibble, as 0x1004, 0x3000 and 0x3002 carry it.
std::uint8_t HighNibble(int band) {
    return static_cast<std::uint8_t>((static_cast<unsigned>(band) << 4) & 0xFF);
}

bool IsBand(int band) {
    return band >= 0 && band < UnitBandTable::kBands;
}

} // namespace

int CTM80M1_Comm::ReadBlock(int block) {
    auto request = Request<kReadBlock>();
    request[kHeaderSize] = static_cast<std::uint8_t>(block);
    ReplyFrame<kReadBlock> reply{};
    if (Exchange<kReadBlock>(request, reply) == 0) {
        return 0; // what did arrive is no block: the buffer keeps the last one
    }
    blockBuffer_ = ReadBlockWords(reply.data() + kHeaderSize);
    return 1;
}

int CTM80M1_Comm::ReadIdentity() {
    ReplyFrame<kReadIdentity> reply{};
    if (Query<kReadIdentity>(reply) == 0) {
        return 0;
    }
    const Identity fields = ReadIdentityPayload(reply.data() + kHeaderSize);
    std::copy(fields.modelCode.begin(), fields.modelCode.end(), identity.modelCode.begin());
    identity.modelCode[UnitIdentity::kModelCodeLength] = '\0';
    identity.serialHigh = fields.serialHigh;
    identity.serialLow = fields.serialLow;
    identity.firmware = fields.firmware;
    identity.identityRead = 1;

    if (ReadUserNote() == 0 || ReadBlock(kProductBlock) == 0) {
        return 0;
    }
    for (std::size_t i = 0; i < UnitIdentity::kProductLength; ++i) {
        identity.productIdentifier[i] = static_cast<char>(blockBuffer_[i] & 0xFF);
    }
    identity.productIdentifier[UnitIdentity::kProductLength] = '\0';
    return 1;
}

std::string CTM80M1_Comm::SerialNumberText() {
    if (identity.identityRead == 0) {
        ReadIdentity();
    }
    return unitprotocol::SerialNumberText(identity.serialHigh, identity.serialLow);
}

std::string CTM80M1_Comm::KnownSerialText() const {
    return identity.identityRead != 0
               ? unitprotocol::SerialNumberText(identity.serialHigh, identity.serialLow)
               : std::string();
}

int CTM80M1_Comm::ExchangeNote(std::uint8_t mode, std::string_view text) {
    auto request = Request<kUserNote>();
    request[kHeaderSize] = mode;
    std::size_t length = std::min(text.size(), UnitIdentity::kNoteLength);
    for (std::size_t i = 0; i < length; ++i) {
        request[kHeaderSize + 1 + i] = static_cast<std::uint8_t>(text[i]);
    }
    ReplyFrame<kUserNote> reply{};
    int ok = Exchange<kUserNote>(request, reply);
    TakeNote(reply.data());
    return ok;
}

void CTM80M1_Comm::TakeNote(const std::uint8_t* reply) {
    // Taken even after a failure, as the unit's note was always taken.
    for (std::size_t i = 0; i < UnitIdentity::kNoteLength; ++i) {
        identity.userNote[i] = static_cast<char>(reply[kHeaderSize + i]);
    }
    identity.userNote[UnitIdentity::kNoteLength] = '\0';
}

int CTM80M1_Comm::ReadUserNote() {
    return ExchangeNote(kNoteRead, {});
}

void CTM80M1_Comm::PostReadUserNote(ReadDone done) {
    const auto request = Request<kUserNote>();
    auto exchange =
        std::make_shared<ByteExchange>(kUserNote, request.data() + kHeaderSize,
                                       RequestLength(kUserNote), ReplyLength(kUserNote), budget_);
    Post(std::move(exchange), [this, done = std::move(done)](const ByteExchange& read) {
        TakeNote(read.reply.data());
        done(read.result, read.tookMs);
    });
}

int CTM80M1_Comm::WriteUserNote(std::string_view text) {
    return ExchangeNote(kNoteWrite, text);
}

int CTM80M1_Comm::ReadUnitData() {
    // A block that was not read changes nothing of what the model holds.
    if (ReadBlock(kBandBlock) == 0) {
        return 0;
    }
    bandTable.monitoring = blockBuffer_[kMonitoringWord] & 0x01;
    for (int b = 0; b < UnitBandTable::kBands; ++b) {
        bandTable.lower[b] = static_cast<std::int64_t>(blockBuffer_[2 * b]) * kBandEdgeUnitHz;
        bandTable.upper[b] = static_cast<std::int64_t>(blockBuffer_[2 * b + 1]) * kBandEdgeUnitHz;
    }
    BuildBandList();

    if (ReadBlock(kNoteBlock) == 0) {
        return 0;
    }
    // Each word carries two note characters, high byte first.
    for (std::size_t k = 0; k < UnitIdentity::kNoteLength / 2; ++k) {
        std::uint16_t word = blockBuffer_[kNoteFirstWord + k];
        identity.userNote[2 * k] = static_cast<char>(word >> 8);
        identity.userNote[2 * k + 1] = static_cast<char>(word & 0xFF);
    }
    identity.userNote[UnitIdentity::kNoteLength] = '\0';
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

std::uint8_t CTM80M1_Comm::ClampCalibration(int channel, int value) {
    const int low = channel < UnitSettings::kOutputs ? 12 : 8;
    const int high = channel < UnitSettings::kOutputs ? 115 : 119;
    if (value > high) {
        value = high;
    }
    if (value < low) {
        value = low;
    }
    return static_cast<std::uint8_t>(value);
}

int CTM80M1_Comm::ReadOutputAdjustments() {
    ReplyFrame<kReadOutputAdjustments> reply{};
    if (Query<kReadOutputAdjustments>(reply) == 0) {
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
    auto request = Request<kSetOutputAdjustment>();
    request[kHeaderSize] = static_cast<std::uint8_t>(channel);
    request[kHeaderSize + 1] = static_cast<std::uint8_t>(clamped);
    ReplyFrame<kSetOutputAdjustment> reply{};
    if (Exchange<kSetOutputAdjustment>(request, reply) == 0) {
        return 0;
    }
    settings.adjustments[channel] = clamped;
    return 1;
}

int CTM80M1_Comm::ReadSplitAndBands() {
    ReplyFrame<kReadSplitAndBands> reply{};
    if (Query<kReadSplitAndBands>(reply) == 0) {
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
    auto request = Request<kSetSplitAndBands>();
    request[kHeaderSize] = static_cast<std::uint8_t>(split);
    for (int k = 0; k < UnitSettings::kOutputs; ++k) {
        request[kHeaderSize + 2 + k] = HighNibble(band[k]);
    }
    ReplyFrame<kSetSplitAndBands> reply{};
    return Exchange<kSetSplitAndBands>(request, reply);
}

int CTM80M1_Comm::ReadStatus() {
    ReplyFrame<kReadStatus> reply{};
    const int result = Query<kReadStatus>(reply);
    TakeStatus(result, reply.data());
    return result;
}

void CTM80M1_Comm::PostReadStatus(ReadDone done) {
    auto exchange =
        std::make_shared<ByteExchange>(kReadStatus, nullptr, 0, ReplyLength(kReadStatus), budget_);
    Post(std::move(exchange), [this, done = std::move(done)](const ByteExchange& read) {
        TakeStatus(read.result, read.reply.data());
        done(read.result, read.tookMs);
    });
}

void CTM80M1_Comm::TakeStatus(int result, const std::uint8_t* reply) {
    if (result == 0) {
        status = UnitStatus{};
        return;
    }
    const std::uint8_t* payload = reply + kHeaderSize;
    status.temperature = static_cast<std::int8_t>(payload[8]);
    status.voltage = static_cast<std::int16_t>(BigEndian16(payload + 9)) / 10.0;
    status.current = payload[11] / 10.0;
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
    auto request = Request<kSelectCalibrationBand>();
    request[kHeaderSize] = static_cast<std::uint8_t>(HighNibble(band) | 0x08 | split);
    ReplyFrame<kSelectCalibrationBand> reply{};
    if (Exchange<kSelectCalibrationBand>(request, reply) == 0) {
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
    auto request = Request<kSetCalibrationValue>();
    request[kHeaderSize] = static_cast<std::uint8_t>(channel);
    request[kHeaderSize + 1] = clamped;
    request[kHeaderSize + 2] = static_cast<std::uint8_t>(HighNibble(band) | split);
    ReplyFrame<kSetCalibrationValue> reply{};
    if (Exchange<kSetCalibrationValue>(request, reply) == 0) {
        return 0;
    }
    calibration.calibration[band][channel] = clamped;
    return 1;
}

int CTM80M1_Comm::FactoryReset(int band) {
    if (!IsBand(band)) {
        band = 0;
    }
    auto request = Request<kFactoryReset>();
    request[kHeaderSize] = HighNibble(band);
    ReplyFrame<kFactoryReset> reply{};
    return Exchange<kFactoryReset>(request, reply);
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
    // Rows of a block that was not read keep what the model held.
    if (ReadBlock(firstBlock) == 0) {
        return 0;
    }
    TakeTableRows(table, 0);
    if (ReadBlock(firstBlock + 1) == 0) {
        return 0;
    }
    TakeTableRows(table, 4);
    return 1;
}

int CTM80M1_Comm::ReadCalibrationTable() {
    return ReadTable(calibration.calibration, kCalibrationBlock);
}

int CTM80M1_Comm::ReadReferenceTable() {
    return ReadTable(calibration.reference, kReferenceBlock);
}

int CTM80M1_Comm::FlashLeds() {
    auto request = ControlRequest(kControlFlashLeds);
    ReplyFrame<kControl> reply{};
    return ControlExchange(request.data(), reply.data());
}
