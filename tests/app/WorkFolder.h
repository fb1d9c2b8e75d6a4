// The working folder the tests that run the real tm80 binary start it in.
#pragma once

#include "tests/infra/TempFolder.h"

#include <filesystem>
#include <string>
#include <vector>

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
    std::string config = "[TM80M1]\r\nLAUNCH_DIRECT=1\r\nNUMBER_OF_LAUNCH_DEVICES=" +
                         std::to_string(addresses.size()) + "\r\n";
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        config += "DEVICE_DIRECT_IP_ADDRESS_" + std::to_string(i) + "=" + addresses[i] + "\r\n";
    }
    WriteFile(work + "/SystemTools/Options/Tm80M1System.CFG", config);
    return config;
}
