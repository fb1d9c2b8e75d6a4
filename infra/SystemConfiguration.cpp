#include "SystemConfiguration.h"

#include "infra/Environment.h"
#include "infra/ProfileStore.h"
#include "platform/Profile.h"
#include "platform/ProfileWriteBatch.h"

#include <algorithm>

namespace {

constexpr const char* kSection = SystemConfiguration::kSection;
constexpr std::size_t kTextBufferSize = 256;

std::string SlotKey(const char* stem, int slot) {
    return stem + std::to_string(slot);
}

std::string ReadText(const std::string& file, const std::string& key) {
    char buffer[kTextBufferSize];
    win::GetPrivateProfileStringA(kSection, key.c_str(), "", buffer, sizeof buffer, file.c_str());
    return buffer;
}

std::string FileOrDefault(const char* path) {
    return path != nullptr ? std::string(path) : TheEnvironment().SystemConfigurationFile;
}

} // namespace

int SystemConfiguration::LaunchAddressCount() const {
    return std::clamp<std::int32_t>(LaunchCount, 0, kUnitPositions);
}

SystemConfiguration& TheSystemConfiguration() {
    static SystemConfiguration configuration;
    return configuration;
}

void LoadConfiguration(const char* path) {
    const std::string file = FileOrDefault(path);
    SystemConfiguration& c = TheSystemConfiguration();
    const SystemConfiguration defaults;

    c.LaunchDirectly = defaults.LaunchDirectly;
    std::int32_t launch = 0;
    if (ReadProfileInt(file, kSection, "LAUNCH_DIRECT", launch)) {
        c.LaunchDirectly = launch != 0;
    }
    c.LaunchCount = defaults.LaunchCount;
    ReadProfileInt(file, kSection, "NUMBER_OF_LAUNCH_DEVICES", c.LaunchCount);

    for (int i = 0; i < kUnitPositions; ++i) {
        DeviceColorPair& colors = c.DeviceColors[static_cast<std::size_t>(i)];
        colors = defaults.DeviceColors[static_cast<std::size_t>(i)];
        std::int32_t value = 0;
        if (ReadProfileInt(file, kSection, SlotKey("DEVICE_BACKGROUND_COLOR_", i), value)) {
            colors.Background = static_cast<win::COLORREF>(value);
        }
        if (ReadProfileInt(file, kSection, SlotKey("DEVICE_LINE_COLOR_", i), value)) {
            colors.Text = static_cast<win::COLORREF>(value);
        }
        std::string& address = c.DirectAddress[static_cast<std::size_t>(i)];
        address.clear();
        const std::string stored = ReadText(file, SlotKey("DEVICE_DIRECT_IP_ADDRESS_", i));
        if (!stored.empty()) {
            address = stored;
        }
    }
}

bool SaveConfiguration(const char* path) {
    const std::string file = FileOrDefault(path);
    const SystemConfiguration& c = TheSystemConfiguration();
    // One replacement of the file for all fifteen keys, so a crash mid-save
    // leaves the previous configuration whole.
    win::ProfileWriteBatch batch(file);
    bool ok = WriteProfileInt(file, kSection, "LAUNCH_DIRECT", c.LaunchDirectly ? 1 : 0);
    ok = WriteProfileInt(file, kSection, "NUMBER_OF_LAUNCH_DEVICES", c.LaunchCount) && ok;
    for (int i = 0; i < kUnitPositions; ++i) {
        const DeviceColorPair& colors = c.DeviceColors[static_cast<std::size_t>(i)];
        ok = WriteProfileInt(file, kSection, SlotKey("DEVICE_BACKGROUND_COLOR_", i),
                             static_cast<std::int32_t>(colors.Background)) &&
             ok;
        ok = WriteProfileInt(file, kSection, SlotKey("DEVICE_LINE_COLOR_", i),
                             static_cast<std::int32_t>(colors.Text)) &&
             ok;
        ok = win::WritePrivateProfileStringA(
                 kSection, SlotKey("DEVICE_DIRECT_IP_ADDRESS_", i).c_str(),
                 c.DirectAddress[static_cast<std::size_t>(i)].c_str(), file.c_str()) != 0 &&
             ok;
    }
    ok = win::WritePrivateProfileStringA(kSection, "LAST_IP_USED", c.LastIpUsed.c_str(),
                                         file.c_str()) != 0 &&
         ok;
    return batch.Commit() != 0 && ok;
}

void ReadLastIpUsed() {
    const std::string stored = ReadText(TheEnvironment().SystemConfigurationFile, "LAST_IP_USED");
    if (!stored.empty()) {
        TheSystemConfiguration().LastIpUsed = stored;
    }
}
