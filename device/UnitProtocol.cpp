#include "device/UnitProtocol.h"

#include <cstdio>

namespace unitprotocol {

namespace {

void PutLittleEndian(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

} // namespace

void WriteHeader(std::uint8_t* frame, std::uint16_t command, std::uint16_t payloadLength) {
    PutLittleEndian(frame, kUnitType);
    PutLittleEndian(frame + 2, command);
    PutLittleEndian(frame + 4, payloadLength);
}

RequestFrame<kControl> ControlRequest(std::uint8_t function, std::uint8_t argument) {
    auto request = Request<kControl>();
    request[kHeaderSize] = function;
    request[kHeaderSize + 1] = argument;
    return request;
}

std::uint16_t BigEndian16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

std::uint32_t BigEndian32(const std::uint8_t* at) {
    return (static_cast<std::uint32_t>(at[0]) << 24) | (static_cast<std::uint32_t>(at[1]) << 16) |
           (static_cast<std::uint32_t>(at[2]) << 8) | at[3];
}

Identity ReadIdentityPayload(const std::uint8_t* payload) {
    Identity identity;
    for (std::size_t i = 0; i < kModelCodeLength; ++i) {
        identity.modelCode[i] = static_cast<char>(payload[i]);
    }
    identity.serialHigh = BigEndian16(payload + 4);
    identity.serialLow = BigEndian16(payload + 6);
    identity.firmware = BigEndian32(payload + 8);
    return identity;
}

std::array<std::uint16_t, kBlockWords> ReadBlockWords(const std::uint8_t* payload) {
    std::array<std::uint16_t, kBlockWords> words{};
    for (std::size_t w = 0; w < kBlockWords; ++w) {
        words[w] = static_cast<std::uint16_t>(payload[2 * w] | (payload[2 * w + 1] << 8));
    }
    return words;
}

std::string SerialNumberText(std::uint16_t serialHigh, std::uint16_t serialLow) {
    char text[16];
    std::snprintf(text, sizeof text, "%4.4X-%u", static_cast<unsigned>(serialHigh),
                  static_cast<unsigned>(serialLow));
    return text;
}

std::string DiscoverySerialText(std::uint16_t serialHigh, std::uint16_t serialLow) {
    char text[16];
    std::snprintf(text, sizeof text, "%4.4X %4.4u", static_cast<unsigned>(serialHigh),
                  static_cast<unsigned>(serialLow));
    return text;
}

std::string FirmwareText(std::uint32_t firmware) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(firmware));
    return text;
}

} // namespace unitprotocol
