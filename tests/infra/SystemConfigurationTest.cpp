// The system configuration file: defaults, the fifteen keys, and the values
// that must survive a run unchanged.
#include "infra/SystemConfiguration.h"
#include "TempFolder.h"
#include "infra/ApplicationFolders.h"
#include "infra/Environment.h"
#include "infra/WinAppplus.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr win::COLORREF Rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}

class SystemConfigurationTest : public ::testing::Test {
protected:
    TempFolder root;
    std::string file;
    void SetUp() override {
        ResetProcessValues();
        TheEnvironment().SystemRoot = root.Path();
        CreateApplicationFolders();
        file = TheEnvironment().SystemConfigurationFile;
    }
    void TearDown() override { ResetProcessValues(); }
};

// Without a file every field takes its default, and a save writes all fifteen keys.
TEST_F(SystemConfigurationTest, DefaultsWithoutAFileAreSavedAsFifteenKeys) {
    TheSystemConfiguration().LaunchDirectly = true; // loading resets every field
    TheSystemConfiguration().DirectAddress[2] = "127.51.100.1";
    LoadConfiguration();
    ASSERT_TRUE(SaveConfiguration());
    EXPECT_EQ(ReadFile(file), "[TM80M1]\r\n"
                              "LAUNCH_DIRECT=0\r\n"
                              "NUMBER_OF_LAUNCH_DEVICES=1\r\n"
                              "DEVICE_BACKGROUND_COLOR_0=0\r\n"
                              "DEVICE_LINE_COLOR_0=16777215\r\n"
                              "DEVICE_DIRECT_IP_ADDRESS_0=\r\n"
                              "DEVICE_BACKGROUND_COLOR_1=3289650\r\n"
                              "DEVICE_LINE_COLOR_1=16777215\r\n"
                              "DEVICE_DIRECT_IP_ADDRESS_1=\r\n"
                              "DEVICE_BACKGROUND_COLOR_2=6579300\r\n"
                              "DEVICE_LINE_COLOR_2=16777215\r\n"
                              "DEVICE_DIRECT_IP_ADDRESS_2=\r\n"
                              "DEVICE_BACKGROUND_COLOR_3=9868950\r\n"
                              "DEVICE_LINE_COLOR_3=16777215\r\n"
                              "DEVICE_DIRECT_IP_ADDRESS_3=\r\n"
                              "LAST_IP_USED=\r\n");
}

TEST_F(SystemConfigurationTest, ReadsSlotKeysFromZeroAndRewritesInPlace) {
    WriteFile(file, "; written by hand\n"
                    "[tm80m1]\n"
                    "LAUNCH_DIRECT = 2\n"
                    "NUMBER_OF_LAUNCH_DEVICES=3\n"
                    "DEVICE_LINE_COLOR_0=255\n"
                    "DEVICE_BACKGROUND_COLOR_1=not a colour\n"
                    "DEVICE_DIRECT_IP_ADDRESS_0=127.51.100.10\n"
                    "DEVICE_DIRECT_IP_ADDRESS_1=0.0.0.0\n"
                    "LAST_IP_USED=127.0.113.3\n"
                    "[OTHER]\n"
                    "keep=me\n");
    ReadLastIpUsed();
    LoadConfiguration();
    const SystemConfiguration& c = TheSystemConfiguration();
    EXPECT_TRUE(c.LaunchDirectly);
    EXPECT_EQ(c.LaunchCount, 3);
    EXPECT_EQ(c.DeviceColors[0].Text, Rgb(255, 0, 0)); // the low byte is red
    EXPECT_EQ(c.DeviceColors[0].Background, Rgb(0, 0, 0));
    EXPECT_EQ(c.DeviceColors[1].Background, Rgb(50, 50, 50));
    EXPECT_EQ(c.DirectAddress[0], "127.51.100.10");
    EXPECT_EQ(c.DirectAddress[1], "0.0.0.0");
    EXPECT_EQ(c.LastIpUsed, "127.0.113.3");

    ASSERT_TRUE(SaveConfiguration());
    const std::string saved = ReadFile(file);
    EXPECT_EQ(saved.rfind("; written by hand\n[tm80m1]\nLAUNCH_DIRECT = 1\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("LAST_IP_USED=127.0.113.3\n"), std::string::npos);
    EXPECT_NE(saved.find("DEVICE_BACKGROUND_COLOR_1=3289650\n"), std::string::npos);
    EXPECT_NE(saved.find("[OTHER]\nkeep=me\n"), std::string::npos);

    // A second run reads back what the first one wrote.
    TheSystemConfiguration() = SystemConfiguration{};
    ReadLastIpUsed();
    LoadConfiguration();
    EXPECT_TRUE(TheSystemConfiguration().LaunchDirectly);
    EXPECT_EQ(TheSystemConfiguration().LastIpUsed, "127.0.113.3");
    EXPECT_EQ(TheSystemConfiguration().DeviceColors[0].Text, Rgb(255, 0, 0));
}

TEST_F(SystemConfigurationTest, TheLaunchCountIsKeptButADirectLaunchUsesAtMostFour) {
    struct Case {
        const char* stored;
        std::int32_t kept;
        int used;
    };
    const Case cases[] = {{"-3", -3, 0}, {"0", 0, 0}, {"2", 2, 2},
                          {"4", 4, 4},   {"7", 7, 4}, {"99999999999", INT32_MAX, 4}};
    for (const Case& c : cases) {
        WriteFile(file, std::string("[TM80M1]\r\nNUMBER_OF_LAUNCH_DEVICES=") + c.stored + "\r\n");
        LoadConfiguration();
        EXPECT_EQ(TheSystemConfiguration().LaunchCount, c.kept) << c.stored;
        EXPECT_EQ(TheSystemConfiguration().LaunchAddressCount(), c.used) << c.stored;
    }
}

TEST_F(SystemConfigurationTest, ASaveIntoAMissingFolderFailsQuietly) {
    const std::string missing = root / "absent/x.CFG";
    EXPECT_FALSE(SaveConfiguration(missing.c_str()));
    EXPECT_FALSE(std::filesystem::exists(root / "absent"));
}

} // namespace
