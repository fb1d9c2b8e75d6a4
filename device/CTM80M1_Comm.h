// The application's picture of one unit and the only way to talk to it.
// Every exchange is one request frame and one reply of known length
// (device/UnitProtocol.h); replies are read byte by byte within a budget.
#pragma once

#include "device/TCPCom.h"
#include "device/UnitBandTable.h"
#include "device/UnitCalibration.h"
#include "device/UnitIdentity.h"
#include "device/UnitProtocol.h"
#include "device/UnitSettings.h"
#include "device/UnitStatus.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class CTM80M1_Comm {
public:
    static constexpr int kDefaultBudgetMs = 1000;
    static constexpr int kControlBudgetMs = 3000;

    // The connection is not owned; it must outlive this object.
    explicit CTM80M1_Comm(TCPCom* connection);
    virtual ~CTM80M1_Comm() = default;
    CTM80M1_Comm(const CTM80M1_Comm&) = delete;
    CTM80M1_Comm& operator=(const CTM80M1_Comm&) = delete;

    virtual TCPCom* GetConnection() { return connection_; }

    // Sends `request` (6 + requestPayloadLength bytes, payload at offset 6)
    // after writing its header, then receives exactly 6 + replyPayloadLength
    // bytes into `reply`. 1 when the whole reply arrived within the budget;
    // 0 at once when the connection is gone (closed or reset by the unit).
    // Input is not drained first: a late byte of an earlier reply is read as
    // the first byte of this one.
    int Transact(std::uint16_t command, std::uint8_t* request, std::uint16_t requestPayloadLength,
                 std::uint8_t* reply, std::uint16_t replyPayloadLength);

    // The fixed-size control command 0x1001: drains stale input, writes the
    // header into request bytes 0..5 (the caller fills 6..11), sends 12 bytes
    // and receives 12 within 3000 ms.
    int ControlExchange(std::uint8_t* request, std::uint8_t* reply);

    int Budget() const { return budget_; }

    // Unit operations. Each returns 1 when its exchanges succeeded, else 0.
    // Values are clamped to their ranges; indices are the caller's concern
    // except where noted.

    // 0x2001, then the user note, then block 2 (product identifier).
    int ReadIdentity();
    // "%4.4X-%u" of serial high and low; reads the identity first if needed.
    std::string SerialNumberText();
    // The note becomes the reply payload even when the exchange fails, so a
    // silent unit reads as an empty note.
    int ReadUserNote();
    // Writes the first 16 characters of `text`, zero-padded; the note becomes
    // what the unit answers, as with ReadUserNote.
    int WriteUserNote(std::string_view text);
    // Blocks 0, 1 and 4 to 11: band edges, monitoring flag, user note.
    int ReadUnitData();
    // Packs the present bands (both edges non-zero) into the band list.
    void BuildBandList();
    int ReadOutputAdjustments();
    // A channel outside 0-9 sends nothing and fails.
    int SetOutputAdjustment(int channel, std::int8_t value);
    int ReadSplitAndBands();
    // Does not change the model. Split 2 or more is sent as 0; a negative
    // split sends nothing and fails.
    int SetSplitAndBands(int split, const std::array<int, UnitSettings::kOutputs>& band);
    // Zeroes the status when the exchange fails.
    int ReadStatus();
    int SelectCalibrationBand(int split, int band);
    // A channel outside 0-9 or a split other than 0 or 1 sends nothing and
    // fails; a band outside 0-7 is sent, and kept, as band 0.
    int SetCalibrationValue(int band, int split, int channel, std::uint8_t value);
    // Does not change the model; the caller reads the tables again.
    int FactoryReset(int band);
    int ReadCalibrationTable(); // blocks 12 and 13
    int ReadReferenceTable();   // blocks 14 and 15
    int FlashLeds();

    // Reads one block with 0x2009 into the block buffer. The words that did
    // not arrive are 0 after a failed read.
    int ReadBlock(int block);
    const std::array<std::uint16_t, unitprotocol::kBlockWords>& BlockBuffer() const {
        return blockBuffer_;
    }

    static std::int8_t ClampAdjustment(int channel, int value);
    static std::uint8_t ClampCalibration(int channel, std::uint8_t value);

    UnitIdentity identity;
    UnitBandTable bandTable;
    UnitSettings settings;
    UnitCalibration calibration;
    UnitStatus status;

private:
    // Receives `count` bytes into `reply` one at a time; fails once `budgetMs`
    // have passed since `start`, checked after every attempt.
    int ReceiveReply(std::uint8_t* reply, int count, std::int64_t start, int budgetMs);
    // Fills rows first..first+3 of `table` from the block buffer.
    void TakeTableRows(UnitCalibration::Table& table, int first) const;
    int ReadTable(UnitCalibration::Table& table, int firstBlock);
    // Command 0x1003 in `mode`; the note becomes the reply payload.
    int ExchangeNote(std::uint8_t mode, std::string_view text);
    // Transact with the payload lengths of the command table.
    template <std::uint16_t Command>
    int Exchange(unitprotocol::RequestFrame<Command>& request,
                 unitprotocol::ReplyFrame<Command>& reply) {
        return Transact(Command, request.data(), unitprotocol::RequestLength(Command), reply.data(),
                        unitprotocol::ReplyLength(Command));
    }
    // A command without request payload.
    template <std::uint16_t Command> int Query(unitprotocol::ReplyFrame<Command>& reply) {
        auto request = unitprotocol::Request<Command>();
        return Exchange<Command>(request, reply);
    }

    TCPCom* connection_;
    int budget_ = kDefaultBudgetMs;

protected:
    std::array<std::uint16_t, unitprotocol::kBlockWords> blockBuffer_{};
};
