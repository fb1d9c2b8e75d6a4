// Start-up of the environment and the application's folders, the colour
// scheme, the language catalogue, the system configuration file, and the
// example language pack and options file against their loaders.
#include "infra/Environment.h"
#include "TempFolder.h"
#include "infra/ApplicationFolders.h"
#include "infra/ColorScheme.h"
#include "infra/ErrorLog.h"
#include "infra/LanguageTables.h"
#include "infra/SystemConfiguration.h"
#include "infra/WinAppplus.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <filesystem>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

class EnvironmentTest : public ::testing::Test {
protected:
    TempFolder root;
    WorkingFolder here{root.Path()};
    std::string languages = root / "SystemTools/Languages";
    void SetUp() override {
        ResetProcessValues();
        TheEnvironment().SystemRoot = root.Path();
    }
    void TearDown() override { ResetProcessValues(); }
    static void Init() { WinAppplus().InitEnvironment(); }
    void Catalogue(const std::string& body) {
        fs::create_directories(languages);
        WriteFile(languages + "/Languages.ini", "[LANGUAGES]\r\n" + body);
    }
    void Language(const std::string& extension, const std::string& body) {
        WriteFile(languages + "/KD50." + extension, body);
    }
};

// The scheme's 26 colours in their order: MAIN, DIALOG, BUTTONS, DIALOG1U.
std::array<COLORREF, 26> Fields(const ColorScheme& s) {
    static_assert(sizeof(ColorScheme) == 26 * sizeof(COLORREF));
    std::array<COLORREF, 26> fields{};
    std::memcpy(fields.data(), &s, sizeof s);
    return fields;
}

TEST_F(EnvironmentTest, EverythingHangsOffTheWorkingFolder) {
    TheEnvironment().SystemRoot.clear();
    TheColorScheme().Main.Background = 1; // InitEnvironment sets the defaults first
    Init();
    const Environment& env = TheEnvironment();
    EXPECT_EQ(env.SystemRoot, root.Path());
    EXPECT_EQ(env.SystemOptionsFile, root.Path() + "/SYSTEM/OPTIONS/VELTSYS.OPT");
    EXPECT_EQ(env.ImagesFolder, root.Path() + "/SystemTools/Images/");
    EXPECT_EQ(env.AppLogFolder, root.Path() + "/SystemTools/AppLogs");
    EXPECT_EQ(env.LanguageName, "English");
    EXPECT_EQ(Fields(TheColorScheme()), Fields(DefaultColorScheme()));
    EXPECT_FALSE(TheLanguageTables().LanguageLoaded);
    EXPECT_EQ(TheLanguageTables().CurrentLanguageFile, "");
    EXPECT_EQ(LanguageText("S", "k", "fallback"), "fallback");
    EXPECT_EQ(LanguageTextWithCommon("S", "k", "fallback"), "fallback");
    ASSERT_NE(TheErrorLog(), nullptr);
    EXPECT_TRUE(fs::exists(root / ".Log"));
    // Nothing but the fallback log is created here.
    EXPECT_FALSE(fs::exists(root / "SystemTools"));
    EXPECT_FALSE(fs::exists(root / "SYSTEM"));

    // A language not in the catalogue leaves none selected; the options' colours count.
    fs::create_directories(root / "SYSTEM/OPTIONS");
    WriteFile(root / "SYSTEM/OPTIONS/VELTSYS.OPT",
              "[GLOBAL]\r\nLanguage=Klingon\r\n[MAIN]\r\nBackgroundColor=255\r\n");
    Catalogue("ENTRIES=1\r\nLANG_1=English\r\nLANG_EXT_1=ENG\r\n");
    Language("ENG", "[DLG]\r\nTITLE=Title\r\n");
    Init();
    EXPECT_EQ(env.LanguageName, "Klingon");
    EXPECT_FALSE(TheLanguageTables().LanguageLoaded);
    EXPECT_EQ(TheColorScheme().Main.Background, 255u);
    fs::remove(env.SystemOptionsFile);
    Init(); // and without the options again: English
    EXPECT_EQ(env.LanguageName, "English");
}

// A missing file changes nothing; a bad value keeps the default. Style 10 is
// DIALOG, 11 DIALOG1U, any other MAIN; an override flag puts the colour in its
// field, both flags put black in the background only.
TEST_F(EnvironmentTest, ColorsEachKeyFillsItsOwnFieldAndPalettesByStyle) {
    TheColorScheme().Main.Background = 1;
    LoadColorScheme(root / "VELTSYS.OPT");
    EXPECT_EQ(TheColorScheme().Main.Background, 1u);
    SetDefaultColors();
    WriteFile(root / "VELTSYS.OPT",
              "[MAIN]\r\nBackgroundColor=255\r\nLabelColor=red\r\nDataColor=-1\r\n");
    LoadColorScheme(root / "VELTSYS.OPT");
    ColorScheme expected = DefaultColorScheme();
    expected.Main.Background = 255;   // the low byte is red
    expected.Main.Data = 0xFFFFFFFFu; // used as read, top bits too
    EXPECT_EQ(Fields(TheColorScheme()), Fields(expected));

    const std::vector<std::string> palette = {"BackgroundColor",  "LabelColor", "DataColor",
                                              "DataBlockBkColor", "TextColor",  "DisabledText",
                                              "PanelText"};
    const std::vector<std::string> buttons = {"Btnface", "BtnHighlight", "BtnShadow", "TextColor",
                                              "DisabledText"};
    // The file lists DIALOG1U before BUTTONS: the order in the file does not matter.
    std::string file;
    int next = 1;
    for (const std::string section : {"MAIN", "DIALOG", "DIALOG1U", "BUTTONS"}) {
        file += "[" + section + "]\r\n";
        for (const std::string& key : section == "BUTTONS" ? buttons : palette) {
            file += key + "=" + std::to_string(next++) + "\r\n";
        }
    }
    WriteFile(root / "VELTSYS.OPT", file);
    LoadColorScheme(root / "VELTSYS.OPT");
    EXPECT_EQ(Fields(TheColorScheme()),
              (std::array<COLORREF, 26>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                        14, 22, 23, 24, 25, 26, 15, 16, 17, 18, 19, 20, 21}));

    const ColorScheme& s = TheColorScheme();
    EXPECT_EQ(Fields({PaletteFor(0, 0), PaletteFor(10, 0), {}, PaletteFor(11, 0)}),
              Fields({s.Main, s.Dialog, {}, s.Dialog1U}));
    EXPECT_EQ(PaletteFor(11, kOverrideBackground | 0xFF0000).Background, 0xFF0000u);
    EXPECT_EQ(PaletteFor(11, kOverrideBackground | 0xFF0000).PanelText, s.Dialog1U.PanelText);
    EXPECT_EQ(PaletteFor(0, kOverridePanelText | 0xFF00).PanelText, 0xFF00u);
    EXPECT_EQ(PaletteFor(0, kOverridePanelText | 0xFF00).Background, s.Main.Background);
    EXPECT_EQ(PaletteFor(10, kOverrideBackground | kOverridePanelText).Background, 0u);
    EXPECT_EQ(PaletteFor(10, kOverrideBackground | kOverridePanelText).PanelText,
              s.Dialog.PanelText);
    EXPECT_EQ(Fields({PaletteFor(9, 0xFF00), {}, {}, {}}), Fields({s.Main, {}, {}, {}}));
}

// A missing entry key stops the load but keeps the earlier entries; an entry
// count outside 0..99 means no language.
TEST_F(EnvironmentTest, LanguagesCatalogueLimits) {
    fs::create_directories(languages);
    for (const char* extension : {"ENG", "DEU", "ITA"}) {
        Language(extension, "");
    }
    const std::string entries =
        "\r\nLANG_1=English\r\nLANG_EXT_1=ENG\r\nLANG_2=Deutsch\r\n"
        "LANG_EXT_2=DEU\r\nLANG_EXT_3=FRA\r\nLANG_4=Italiano\r\nLANG_EXT_4=ITA\r\n";
    for (const std::string count : {"5", "-1", "100", "2147483647", "-2147483648"}) {
        const bool inRange = count == "5";
        ResetLanguageTables();
        Catalogue("ENTRIES=" + count + entries);
        EXPECT_EQ(LoadLanguageCatalogue("KD50"), !inRange) << count;
        EXPECT_EQ(TheLanguageTables().Names.size(), inRange ? 5u : 0u) << count;
        EXPECT_EQ(SelectLanguage("English"), inRange) << count;
        EXPECT_EQ(SelectLanguage("Deutsch"), inRange) << count;
        EXPECT_FALSE(SelectLanguage("Italiano")) << count;
    }
    ResetLanguageTables();
    Catalogue("ENTRIES=99\r\n");
    EXPECT_FALSE(LoadLanguageCatalogue("KD50")); // LANG_1 missing
    EXPECT_EQ(TheLanguageTables().Names.size(), 99u);
}

// The folders are made one level at a time, what is there already left alone.
// Without a file every field takes its default, and a save writes all fifteen keys.
TEST_F(EnvironmentTest, FoldersAndTheSystemConfiguration) {
    fs::create_directories(root / "User/Setup Files");
    WriteFile(root / "User/Setup Files/unit.TM8", "[DEVICE]\r\n");
    CreateApplicationFolders();
    const std::string file = TheEnvironment().SystemConfigurationFile;
    EXPECT_EQ(file, root.Path() + "/SystemTools/Options/Tm80M1System.CFG");
    for (const char* folder : {"SystemTools", "SystemTools/Options", "User", "User/Setup Files",
                               "SystemTools/AppLogs"}) {
        EXPECT_TRUE(fs::is_directory(root / folder)) << folder;
    }
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ReadFile(root / "User/Setup Files/unit.TM8"), "[DEVICE]\r\n");
    TheSystemConfiguration().LaunchDirectly = true; // loading resets every field
    TheSystemConfiguration().DirectAddress[2] = "127.51.100.1";
    LoadConfiguration();
    ASSERT_TRUE(SaveConfiguration());
    std::string expected = "[TM80M1]\r\nLAUNCH_DIRECT=0\r\nNUMBER_OF_LAUNCH_DEVICES=1\r\n";
    const char* const backgrounds[] = {"0", "3289650", "6579300", "9868950"}; // greys 0..150
    for (int slot = 0; slot < 4; ++slot) {
        const std::string n = std::to_string(slot);
        expected += "DEVICE_BACKGROUND_COLOR_" + n + "=" + backgrounds[slot] +
                    "\r\nDEVICE_LINE_COLOR_" + n + "=16777215\r\nDEVICE_DIRECT_IP_ADDRESS_" + n +
                    "=\r\n";
    }
    EXPECT_EQ(ReadFile(file), expected + "LAST_IP_USED=\r\n");

    // Slot keys count from zero; a save rewrites the file in place.
    WriteFile(file, "; written by hand\n[tm80m1]\nLAUNCH_DIRECT = 2\nNUMBER_OF_LAUNCH_DEVICES=3\n"
                    "DEVICE_LINE_COLOR_0=255\nDEVICE_BACKGROUND_COLOR_1=not a colour\n"
                    "DEVICE_DIRECT_IP_ADDRESS_0=127.51.100.10\nDEVICE_DIRECT_IP_ADDRESS_1=0.0.0.0\n"
                    "LAST_IP_USED=127.0.113.3\n[OTHER]\nkeep=me\n");
    for (int run = 0; run < 2; ++run) { // a second run reads back what the first one wrote
        TheSystemConfiguration() = SystemConfiguration{};
        ReadLastIpUsed();
        LoadConfiguration();
        const SystemConfiguration& c = TheSystemConfiguration();
        EXPECT_TRUE(c.LaunchDirectly);
        EXPECT_EQ(c.LaunchCount, 3);
        EXPECT_EQ(c.DeviceColors[0].Text, 255u); // the low byte is red
        EXPECT_EQ(c.DeviceColors[0].Background, 0u);
        EXPECT_EQ(c.DeviceColors[1].Background, 0x323232u);
        EXPECT_EQ(c.DirectAddress[0], "127.51.100.10");
        EXPECT_EQ(c.DirectAddress[1], "0.0.0.0");
        EXPECT_EQ(c.LastIpUsed, "127.0.113.3");
        ASSERT_TRUE(SaveConfiguration());
    }
    const std::string saved = ReadFile(file);
    EXPECT_EQ(saved.rfind("; written by hand\n[tm80m1]\nLAUNCH_DIRECT = 1\n", 0), 0u) << saved;
    EXPECT_NE(saved.find("LAST_IP_USED=127.0.113.3\n"), std::string::npos);
    EXPECT_NE(saved.find("DEVICE_BACKGROUND_COLOR_1=3289650\n"), std::string::npos);
    EXPECT_NE(saved.find("[OTHER]\nkeep=me\n"), std::string::npos);
    // The launch count is kept, but a direct launch uses at most four.
    const std::tuple<const char*, std::int32_t, int> cases[] = {
        {"-3", -3, 0}, {"0", 0, 0}, {"2", 2, 2},
        {"4", 4, 4},   {"7", 7, 4}, {"99999999999", INT32_MAX, 4}};
    for (const auto& [stored, kept, used] : cases) {
        WriteFile(file, std::string("[TM80M1]\r\nNUMBER_OF_LAUNCH_DEVICES=") + stored + "\r\n");
        LoadConfiguration();
        EXPECT_EQ(TheSystemConfiguration().LaunchCount, kept) << stored;
        EXPECT_EQ(TheSystemConfiguration().LaunchAddressCount(), used) << stored;
    }
}

// The example resources installed as the README describes: every window has a
// title in both languages; English is selected with the built-in colours.
TEST_F(EnvironmentTest, ExampleResources) {
    const fs::path resources = TM80_RESOURCES_DIR;
    fs::create_directories(root / "SYSTEM/OPTIONS");
    fs::create_directories(languages);
    for (const char* name : {"Languages.ini", "KD50.ENG", "KD50.DEU"}) {
        fs::copy_file(resources / "languages" / name, languages + "/" + name,
                      fs::copy_options::overwrite_existing);
    }
    const std::string options = ReadFile((resources / "options/VELTSYS.OPT").string());
    ASSERT_NE(options.find("Language=English"), std::string::npos);
    for (const char* language : {"Deutsch", "English"}) {
        ResetProcessValues();
        std::string chosen = options;
        chosen.replace(chosen.find("Language=English") + 9, 7, language);
        WriteFile(root / "SYSTEM/OPTIONS/VELTSYS.OPT", chosen);
        Init();
        ASSERT_TRUE(TheLanguageTables().LanguageLoaded) << language;
        for (const char* section :
             {"TM80MAINDLG", "PV62_LAUNCH_OPTIONS", "TM80_CONFIG_DLG", "PV62_DEVICE_COLOR",
              "KD5_INFO", "PRIMARY_SETUP", "SYSTEM", "CALIBRATION", "STATUS"}) {
            EXPECT_NE(LanguageTextWithCommon(section, "TITLE", ""), "") << language << section;
        }
    }
    const LanguageTables& t = TheLanguageTables();
    EXPECT_EQ(t.Kept, 2);
    EXPECT_EQ(t.Names[t.SelectedIndex], "English");
    EXPECT_EQ(Fields(TheColorScheme()), Fields(DefaultColorScheme()));
    EXPECT_EQ(LanguageTextWithCommon("PRIMARY_SETUP", "IDL_DECREASE", ""), "- Decr.");
    EXPECT_EQ(LanguageTextWithCommon("KD5_INFO", "IDL_HW_IP", ""), "HW IP Address: ");
    EXPECT_EQ(LanguageTextWithCommon("SYSTEM", "IDL_DEVICE_ID", ""), "Device ID");
    EXPECT_NE(LanguageText("TOOLTIPS", "IDC_SPLIT_18", ""), "");
}

} // namespace
