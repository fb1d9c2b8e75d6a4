// The unit's command protocol in one place: the frame header, the command
// codes, the payload lengths of every request and reply, the readers of the
// payloads that more than one caller takes apart, and the texts made from the
// identity's serial number. The unit model, the discovery and tm80ctl build
// and read their frames here; the simulator keeps an independent copy on
// purpose, so that a fault in one is not hidden by the same fault in the other.
//
// Every exchange is one request frame and one reply of known length:
//   offset 0  u16 unit type (0x0016 in every request)
//   offset 2  u16 command code
//   offset 4  u16 payload length
//   offset 6  payload
// header fields little-endian. Inside payloads the identity and status
// numbers are big-endian and the 64 words of a block little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace unitprotocol {

inline constexpr std::uint16_t kCommandPort = 5000; // TCP, on every unit
inline constexpr std::uint16_t kUnitType = 0x0016;
inline constexpr std::size_t kHeaderSize = 6;

inline constexpr std::uint16_t kSetOutputAdjustment = 0x1000; // [channel, signed steps]
inline constexpr std::uint16_t kControl = 0x1001;             // [function, argument, 0, 0, 0, 0]
inline constexpr std::uint16_t kUserNote = 0x1003;            // [mode, 16 characters]
inline constexpr std::uint16_t kSetSplitAndBands = 0x1004;    // [split, 0, band << 4 per output]
inline constexpr std::uint16_t kReadIdentity = 0x2001;
inline constexpr std::uint16_t kReadStatus = 0x2002;
inline constexpr std::uint16_t kReadBlock = 0x2009;           // [block number]
inline constexpr std::uint16_t kSetCalibrationValue = 0x3000; // [channel, value, band << 4 | split]
inline constexpr std::uint16_t kSelectCalibrationBand = 0x3001; // [band << 4 | 0x08 | split]
inline constexpr std::uint16_t kFactoryReset = 0x3002;          // [band << 4]
inline constexpr std::uint16_t kReadOutputAdjustments = 0x4000;
inline constexpr std::uint16_t kReadSplitAndBands = 0x4004;

// Control functions of 0x1001 with their arguments.
inline constexpr std::uint8_t kControlFlashLeds = 0x06; // argument 0
inline constexpr std::uint8_t kControlOpen = 0x04;      // sent when a unit is opened
inline constexpr std::uint8_t kControlOpenArgument = 0x80;

// Modes of 0x1003.
inline constexpr std::uint8_t kNoteRead = 0x00;
inline constexpr std::uint8_t kNoteWrite = 0x80;

inline constexpr std::size_t kNoteLength = 16;
inline constexpr std::size_t kModelCodeLength = 4;
inline constexpr std::size_t kBlockWords = 64;

// Payload bytes of each command's request and reply; 0 for a command not in
// the table. Replies of the setting commands are a header alone.
constexpr std::uint16_t RequestLength(std::uint16_t command) {
    switch (command) {
    case kSetOutputAdjustment:
        return 2;
    case kControl:
        return 6;
    case kUserNote:
        return 1 + kNoteLength;
    case kSetSplitAndBands:
        return 10;
    case kReadBlock:
    case kSelectCalibrationBand:
    case kFactoryReset:
        return 1;
    case kSetCalibrationValue:
        return 3;
    default:
        return 0;
    }
}

constexpr std::uint16_t ReplyLength(std::uint16_t command) {
    switch (command) {
    case kControl:
        return 6;
    case kUserNote:
        return kNoteLength;
    case kReadIdentity:
        return 20;
    case kReadStatus:
        return 12;
    case kReadBlock:
        return 2 * kBlockWords;
    case kSelectCalibrationBand:
        return 1;
    case kReadOutputAdjustments:
    case kReadSplitAndBands:
        return 10;
    default:
        return 0;
    }
}

// Whole frames of a command: header and payload.
template <std::uint16_t Command>
using RequestFrame = std::array<std::uint8_t, kHeaderSize + RequestLength(Command)>;
template <std::uint16_t Command>
using ReplyFrame = std::array<std::uint8_t, kHeaderSize + ReplyLength(Command)>;

// Unit type, command and payload length, each low byte first, into frame bytes 0 to 5.
void WriteHeader(std::uint8_t* frame, std::uint16_t command, std::uint16_t payloadLength);

// A zero-filled request of `Command` with its header written.
template <std::uint16_t Command> RequestFrame<Command> Request() {
    RequestFrame<Command> frame{};
    WriteHeader(frame.data(), Command, RequestLength(Command));
    return frame;
}

// A control request (0x1001) of `function` and `argument`.
RequestFrame<kControl> ControlRequest(std::uint8_t function, std::uint8_t argument = 0);

// The discovery's type query: six zero bytes, no command. The unit answers
// with its type in byte 0 and five zero bytes.
inline constexpr std::array<std::uint8_t, kHeaderSize> kTypeQuery{};

std::uint16_t BigEndian16(const std::uint8_t* at);
std::uint32_t BigEndian32(const std::uint8_t* at);

// The fields of an identity reply payload (0x2001); bytes 12-19 are not used.
struct Identity {
    std::array<char, kModelCodeLength> modelCode{}; // "80M1", "80C2"; not terminated
    std::uint16_t serialHigh = 0;
    std::uint16_t serialLow = 0;
    std::uint32_t firmware = 0;
};
Identity ReadIdentityPayload(const std::uint8_t* payload);

// The 64 words of a block reply payload (0x2009).
std::array<std::uint16_t, kBlockWords> ReadBlockWords(const std::uint8_t* payload);

// "%4.4X-%u" of the serial number's high and low parts: how the unit model and
// tm80ctl show a unit's serial number and how its setup folder is named.
std::string SerialNumberText(std::uint16_t serialHigh, std::uint16_t serialLow);
// "%4.4X %4.4u": how the discovery list shows it.
std::string DiscoverySerialText(std::uint16_t serialHigh, std::uint16_t serialLow);
// "%08X": how the processor firmware ID is shown ("01020304").
std::string FirmwareText(std::uint32_t firmware);

} // namespace unitprotocol
