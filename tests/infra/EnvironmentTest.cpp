// Start-up of the environment, the application's folders and the example
// language pack and options file.
#include "infra/Environment.h"
#include "TempFolder.h"
#include "infra/ApplicationFolders.h"
#include "infra/ColorScheme.h"
#include "infra/ErrorLog.h"
#include "infra/LanguageTables.h"
#include "infra/WinAppplus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

class EnvironmentTest : public ::testing::Test {
protected:
    TempFolder root;
    WorkingFolder here{root.Path()};
    void SetUp() override { ResetProcessValues(); }
    void TearDown() override { ResetProcessValues(); }
};

TEST_F(EnvironmentTest, EverythingHangsOffTheWorkingFolder) {
    WinAppplus app;
    EXPECT_EQ(TheEnvironment().SystemRoot, root.Path());
    EXPECT_TRUE(app.InitEnvironment());
    const Environment& env = TheEnvironment();
    EXPECT_EQ(env.SystemRoot, root.Path());
    EXPECT_EQ(env.ProductKey, "KD50");
    EXPECT_EQ(env.SystemOptionsFile, root.Path() + "/SYSTEM/OPTIONS/VELTSYS.OPT");
    EXPECT_EQ(env.ImagesFolder, root.Path() + "/SystemTools/Images/");
    EXPECT_EQ(env.AppLogFolder, root.Path() + "/SystemTools/AppLogs");
    ASSERT_NE(TheErrorLog(), nullptr);
    EXPECT_TRUE(fs::exists(root / ".Log"));
    // Nothing but the fallback log is created here.
    EXPECT_FALSE(fs::exists(root / "SystemTools"));
    EXPECT_FALSE(fs::exists(root / "SYSTEM"));
}

TEST_F(EnvironmentTest, WithoutAnOptionsFileDefaultsAndEnglish) {
    TheColorScheme().Main.Background = 1; // InitEnvironment sets the defaults first
    WinAppplus app;
    app.InitEnvironment();
    EXPECT_EQ(TheEnvironment().LanguageName, "English");
    EXPECT_EQ(TheColorScheme().Main.Background, DefaultColorScheme().Main.Background);
    EXPECT_FALSE(TheLanguageTables().LanguageLoaded);
}

TEST_F(EnvironmentTest, ALanguageNotInTheCatalogueLeavesNoneSelected) {
    fs::create_directories(root / "SYSTEM/OPTIONS");
    fs::create_directories(root / "SystemTools/Languages");
    WriteFile(root / "SYSTEM/OPTIONS/VELTSYS.OPT", "[GLOBAL]\r\nLanguage=Klingon\r\n"
                                                   "[MAIN]\r\nBackgroundColor=255\r\n");
    WriteFile(root / "SystemTools/Languages/Languages.ini",
              "[LANGUAGES]\r\nENTRIES=1\r\nLANG_1=English\r\nLANG_EXT_1=ENG\r\n");
    WriteFile(root / "SystemTools/Languages/KD50.ENG", "[DLG]\r\nTITLE=Title\r\n");
    WinAppplus app;
    EXPECT_TRUE(app.InitEnvironment());
    EXPECT_EQ(TheEnvironment().LanguageName, "Klingon");
    EXPECT_FALSE(TheLanguageTables().LanguageLoaded);
    EXPECT_EQ(TheColorScheme().Main.Background, 255u);
}

TEST_F(EnvironmentTest, CreatesTheApplicationFoldersOneLevelAtATime) {
    WinAppplus app;
    app.InitEnvironment();
    CreateApplicationFolders();
    const Environment& env = TheEnvironment();
    EXPECT_EQ(env.SystemConfigurationFile, root.Path() + "/SystemTools/Options/Tm80M1System.CFG");
    for (const char* folder : {"SystemTools", "SystemTools/Options", "User", "User/Setup Files",
                               "SystemTools/AppLogs"}) {
        EXPECT_TRUE(fs::is_directory(root / folder)) << folder;
    }
    EXPECT_FALSE(fs::exists(env.SystemConfigurationFile));
}

TEST_F(EnvironmentTest, ExistingFoldersAreLeftAlone) {
    fs::create_directories(root / "User/Setup Files");
    WriteFile(root / "User/Setup Files/unit.TM8", "[DEVICE]\r\n");
    WinAppplus app;
    app.InitEnvironment();
    CreateApplicationFolders();
    EXPECT_EQ(ReadFile(root / "User/Setup Files/unit.TM8"), "[DEVICE]\r\n");
    EXPECT_TRUE(fs::is_directory(root / "SystemTools/AppLogs"));
}

// The example resources installed as the README describes.
class ExampleResources : public EnvironmentTest {
protected:
    void Install(const std::string& language) {
        const fs::path resources = TM80_RESOURCES_DIR;
        fs::create_directories(root / "SystemTools/Languages");
        fs::create_directories(root / "SYSTEM/OPTIONS");
        for (const char* name : {"Languages.ini", "KD50.ENG", "KD50.DEU"}) {
            fs::copy_file(resources / "languages" / name, root / "SystemTools/Languages/" + name,
                          fs::copy_options::overwrite_existing);
        }
        std::string options = ReadFile((resources / "options/VELTSYS.OPT").string());
        const std::string english = "Language=English";
        options.replace(options.find(english), english.size(), "Language=" + language);
        WriteFile(root / "SYSTEM/OPTIONS/VELTSYS.OPT", options);
        WinAppplus app;
        app.InitEnvironment();
    }
};

const char* const kSections[] = {
    "TM80MAINDLG", "PV62_LAUNCH_OPTIONS", "TM80_CONFIG_DLG", "PV62_DEVICE_COLOR",
    "KD5_INFO",    "PRIMARY_SETUP",       "SYSTEM",          "CALIBRATION",
    "STATUS"};

TEST_F(ExampleResources, EnglishIsSelectedAndColoursAreTheDefaults) {
    Install("English");
    const LanguageTables& t = TheLanguageTables();
    EXPECT_EQ(t.Kept, 2);
    ASSERT_TRUE(t.LanguageLoaded);
    EXPECT_EQ(t.Names[t.SelectedIndex], "English");
    const ColorScheme defaults = DefaultColorScheme();
    const ColorScheme& loaded = TheColorScheme();
    EXPECT_EQ(0, std::memcmp(&defaults, &loaded, sizeof defaults));
    EXPECT_EQ(LanguageTextWithCommon("PRIMARY_SETUP", "IDL_DECREASE", ""), "- Decr.");
    EXPECT_EQ(LanguageTextWithCommon("KD5_INFO", "IDL_HW_IP", ""), "HW IP Address: ");
    EXPECT_EQ(LanguageTextWithCommon("SYSTEM", "IDL_DEVICE_ID", ""), "Device ID");
    EXPECT_EQ(LanguageText("TOOLTIPS", "IDC_SPLIT_18", "").empty(), false);
}

TEST_F(ExampleResources, EveryWindowHasATitleInBothLanguages) {
    for (const char* language : {"English", "Deutsch"}) {
        Install(language);
        ASSERT_TRUE(TheLanguageTables().LanguageLoaded) << language;
        for (const char* section : kSections) {
            EXPECT_NE(LanguageTextWithCommon(section, "TITLE", ""), "")
                << language << " " << section;
        }
        ResetProcessValues();
    }
}

} // namespace
