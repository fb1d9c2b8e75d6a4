// The values that survive from one run to the next: how the application
// launches, the four direct-launch addresses, the colours of the four rows of
// the main window and the last address used. They live in section "TM80M1" of
// SystemConfigurationFile; slot keys carry the slot index 0..3.
#pragma once

#include "platform/WinTypes.h"

#include <array>
#include <cstdint>
#include <string>

// The unit positions of the main window, Device 1 to Device 4: its rows, the
// slot table's positions, and the stored addresses and row colours.
inline constexpr int kUnitPositions = 4;

struct DeviceColorPair {
    win::COLORREF Background = 0;
    win::COLORREF Text = 0xFFFFFF;
};

struct SystemConfiguration {
    static constexpr const char* kSection = "TM80M1";

    bool LaunchDirectly = false;
    std::int32_t LaunchCount = 1; // kept as read; see LaunchAddressCount
    std::array<std::string, kUnitPositions> DirectAddress{};
    // Slot i: background RGB(50i, 50i, 50i), white text.
    std::array<DeviceColorPair, kUnitPositions> DeviceColors = {
        DeviceColorPair{0x000000, 0xFFFFFF}, DeviceColorPair{0x323232, 0xFFFFFF},
        DeviceColorPair{0x646464, 0xFFFFFF}, DeviceColorPair{0x969696, 0xFFFFFF}};
    std::string LastIpUsed;

    // How many stored addresses a direct launch tries: the launch count
    // clamped to 0..4.
    int LaunchAddressCount() const;
};

SystemConfiguration& TheSystemConfiguration();

// Fills everything but the last IP used from `path`, or from
// SystemConfigurationFile when `path` is null; missing or unreadable values
// take their defaults.
void LoadConfiguration(const char* path = nullptr);
// Writes all fifteen keys to `path`, or to SystemConfigurationFile when `path`
// is null. True when every write succeeded.
bool SaveConfiguration(const char* path = nullptr);
// Start-up: LastIpUsed := "LAST_IP_USED" of SystemConfigurationFile when that
// is not empty.
void ReadLastIpUsed();
