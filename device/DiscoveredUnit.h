// One unit found by the network discovery: what its WIZnet module answered
// and what the unit told about itself over TCP.
#pragma once

#include "device/UnitProtocol.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

struct DiscoveredUnit {
    static constexpr std::uint16_t kCommandPort = unitprotocol::kCommandPort;
    static constexpr std::size_t kModelCodeSize = unitprotocol::kModelCodeLength;
    static constexpr std::size_t kNameSize = 101;  // 100 characters and the terminating 0
    static constexpr std::size_t kSerialSize = 11; // "%4.4X %4.4u" of two 16-bit numbers
    static constexpr std::size_t kNoteSize = unitprotocol::kNoteLength + 1;
    static constexpr std::size_t kAddressTextMax = 15; // "255.255.255.255"

    std::int32_t reachable = 0; // 1 once the TCP connection to the module succeeded
    std::array<std::uint8_t, 6> macAddress{};
    std::array<std::uint8_t, 4> ipAddress{};
    std::string addressText; // the octets as "%d.%d.%d.%d", at most kAddressTextMax characters
    std::uint16_t commandPort = kCommandPort;
    std::uint8_t unitType = 0;                    // 0x16 for this family
    std::array<char, kModelCodeSize> modelCode{}; // "80M1", "80C2", not terminated
    std::array<char, kNameSize> name{};
    std::array<char, kSerialSize> serialText{}; // the discovery's own form, "00AB 1003"
    std::uint16_t serialHigh = 0;
    std::uint16_t serialLow = 0;
    std::array<char, kNoteSize> userNote{};

    // Texts up to their terminating 0 (the model code up to its 4 characters).
    std::string NameText() const { return Terminated(name.data(), name.size()); }
    std::string SerialText() const { return Terminated(serialText.data(), serialText.size()); }
    std::string NoteText() const { return Terminated(userNote.data(), userNote.size()); }
    std::string ModelText() const { return Terminated(modelCode.data(), modelCode.size()); }
    // The serial number as the window shows every unit's: "00AB-1003".
    std::string UnitSerialText() const {
        return unitprotocol::SerialNumberText(serialHigh, serialLow);
    }
    // The MAC address as "00:08:DC:01:02:03".
    std::string MacText() const {
        char text[18];
        std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", macAddress[0],
                      macAddress[1], macAddress[2], macAddress[3], macAddress[4], macAddress[5]);
        return text;
    }

private:
    static std::string Terminated(const char* text, std::size_t size) {
        std::size_t n = 0;
        while (n < size && text[n] != '\0') {
            ++n;
        }
        return std::string(text, n);
    }
};
