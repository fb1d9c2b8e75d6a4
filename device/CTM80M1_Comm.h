// The application's picture of one unit and the only way to talk to it.
//
// Every exchange is one request frame and one reply of known length:
//   offset 0  u16 unit type (0x0016 in every request)
//   offset 2  u16 command code
//   offset 4  u16 payload length
//   offset 6  payload
// header fields little-endian. Replies are read byte by byte within a budget.
#pragma once

#include "device/TCPCom.h"

#include <array>
#include <cstdint>

class CTM80M1_Comm {
public:
    static constexpr std::uint16_t kUnitType = 0x0016;
    static constexpr int kHeaderSize = 6;
    static constexpr int kDefaultBudgetMs = 1000;
    static constexpr int kControlBudgetMs = 3000;
    static constexpr int kControlFrameSize = 12;

    // Command codes.
    static constexpr std::uint16_t kSetOutputAdjustment = 0x1000;
    static constexpr std::uint16_t kControl = 0x1001;
    static constexpr std::uint16_t kUserNote = 0x1003;
    static constexpr std::uint16_t kSetSplitAndBands = 0x1004;
    static constexpr std::uint16_t kReadIdentity = 0x2001;
    static constexpr std::uint16_t kReadStatus = 0x2002;
    static constexpr std::uint16_t kReadBlock = 0x2009;
    static constexpr std::uint16_t kSetCalibrationValue = 0x3000;
    static constexpr std::uint16_t kSelectCalibrationBand = 0x3001;
    static constexpr std::uint16_t kFactoryReset = 0x3002;
    static constexpr std::uint16_t kReadOutputAdjustments = 0x4000;
    static constexpr std::uint16_t kReadSplitAndBands = 0x4004;

    // Control functions of command 0x1001.
    static constexpr std::uint8_t kControlFlashLeds = 0x06;
    static constexpr std::uint8_t kControlOpen = 0x04;
    static constexpr std::uint8_t kControlOpenArgument = 0x80;

    // The connection is not owned; it must outlive this object.
    explicit CTM80M1_Comm(TCPCom* connection);
    virtual ~CTM80M1_Comm() = default;
    CTM80M1_Comm(const CTM80M1_Comm&) = delete;
    CTM80M1_Comm& operator=(const CTM80M1_Comm&) = delete;

    virtual TCPCom* GetConnection() { return connection_; }

    // Sends `request` (6 + requestPayloadLength bytes, payload at offset 6)
    // after writing its header, then receives exactly 6 + replyPayloadLength
    // bytes into `reply`. 1 when the whole reply arrived within the budget.
    // Input is not drained first: a late byte of an earlier reply is read as
    // the first byte of this one.
    int Transact(std::uint16_t command, std::uint8_t* request, std::uint16_t requestPayloadLength,
                 std::uint8_t* reply, std::uint16_t replyPayloadLength);

    // The fixed-size control command 0x1001: drains stale input, writes the
    // header into request bytes 0..5 (the caller fills 6..11), sends 12 bytes
    // and receives 12 within 3000 ms.
    int ControlExchange(std::uint8_t* request, std::uint8_t* reply);

    int Budget() const { return budget_; }

private:
    // Receives `count` bytes into `reply` one at a time; fails once `budgetMs`
    // have passed since `start`, checked after every attempt.
    int ReceiveReply(std::uint8_t* reply, int count, std::int64_t start, int budgetMs);

    TCPCom* connection_;
    int budget_ = kDefaultBudgetMs;

protected:
    std::array<std::uint16_t, 64> blockBuffer_{};
};
