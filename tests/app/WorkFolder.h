// The working folder the tests that run the real tm80 binary start it in, and
// the system configuration's keys of a direct launch.
#pragma once

#include "tests/infra/TempFolder.h"

#include <filesystem>
#include <string>
#include <vector>

// The keys that launch directly to `addresses`, `count` of them (all unless given).
inline std::string DirectLaunchKeys(const std::vector<std::string>& addresses, int launch = 1,
                                    int count = -1) {
    std::string keys = "LAUNCH_DIRECT=" + std::to_string(launch) + "\r\nNUMBER_OF_LAUNCH_DEVICES=" +
                       std::to_string(count < 0 ? static_cast<int>(addresses.size()) : count) +
                       "\r\n";
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        keys += "DEVICE_DIRECT_IP_ADDRESS_" + std::to_string(i) + "=" + addresses[i] + "\r\n";
    }
    return keys;
}

// The folder "work" of `dir` with the start-up logo and a system
// configuration that launches directly to `addresses`; returns the
// configuration's text.
inline std::string MakeWorkFolder(const TempFolder& dir,
                                  const std::vector<std::string>& addresses) {
    const std::string work = dir / "work";
    std::filesystem::create_directories(work + "/SystemTools/Options");
    std::filesystem::create_directories(work + "/SystemTools/Images");
    std::filesystem::create_directories(work + "/SYSTEM/ERLOGS");
    std::filesystem::copy_file(TM80_LOGO, work + "/SystemTools/Images/StartupLogo.jpg");
    const std::string config = "[TM80M1]\r\n" + DirectLaunchKeys(addresses);
    WriteFile(work + "/SystemTools/Options/Tm80M1System.CFG", config);
    return config;
}
