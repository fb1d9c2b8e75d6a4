// The language catalogue, selection by name and text lookup.
#include "infra/LanguageTables.h"
#include "TempFolder.h"
#include "infra/Environment.h"
#include "infra/WinAppplus.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class LanguageTablesTest : public ::testing::Test {
protected:
    TempFolder root;
    std::string folder = root / "SystemTools/Languages";
    void SetUp() override {
        ResetProcessValues();
        TheEnvironment().SystemRoot = root.Path();
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { ResetProcessValues(); }
    void Catalogue(const std::string& body) {
        WriteFile(folder + "/Languages.ini", "[LANGUAGES]\r\n" + body);
    }
    void Language(const std::string& extension, const std::string& body) {
        WriteFile(folder + "/KD50." + extension, body);
    }
};

TEST_F(LanguageTablesTest, KeepsOnlyEntriesWhoseFileExists) {
    Catalogue("ENTRIES=3\r\nLANG_1=English\r\nLANG_EXT_1=ENG\r\nLANG_2=Francais\r\n"
              "LANG_EXT_2=FRA\r\nLANG_3=Deutsch\r\nLANG_EXT_3=DEU\r\n");
    Language("ENG", "[S]\r\nk=english\r\n");
    Language("DEU", "[S]\r\nk=deutsch\r\n");
    ASSERT_TRUE(LoadLanguageCatalogue("KD50"));
    const LanguageTables& t = TheLanguageTables();
    EXPECT_EQ(t.Kept, 2);
    EXPECT_EQ(t.Names[0], "English");
    EXPECT_EQ(t.Names[1], "Deutsch");
    EXPECT_EQ(t.Extensions[1], "DEU");
    EXPECT_FALSE(SelectLanguage("Francais"));
    EXPECT_FALSE(SelectLanguage("deutsch")); // names match exactly
    EXPECT_FALSE(t.LanguageLoaded);
    // After a failed selection, lookups read the file of the last entry examined.
    EXPECT_EQ(LanguageTextWithCommon("S", "k", ""), "deutsch");
    ASSERT_TRUE(SelectLanguage("Deutsch"));
    EXPECT_TRUE(t.LanguageLoaded);
    EXPECT_EQ(t.SelectedIndex, 1);
    EXPECT_EQ(t.CurrentLanguageFile, root.Path() + "/SystemTools/Languages/KD50.DEU");
    EXPECT_EQ(LanguageText("S", "k", "fallback"), "deutsch");
}

TEST_F(LanguageTablesTest, AMissingEntryKeyStopsTheLoadButKeepsEarlierEntries) {
    Catalogue("ENTRIES=5\r\nLANG_1=English\r\nLANG_EXT_1=ENG\r\nLANG_2=Deutsch\r\n"
              "LANG_EXT_2=DEU\r\nLANG_EXT_3=FRA\r\nLANG_4=Italiano\r\nLANG_EXT_4=ITA\r\n");
    Language("ENG", "");
    Language("DEU", "");
    Language("ITA", "");
    EXPECT_FALSE(LoadLanguageCatalogue("KD50"));
    EXPECT_TRUE(SelectLanguage("English"));
    EXPECT_TRUE(SelectLanguage("Deutsch"));
    EXPECT_FALSE(SelectLanguage("Italiano"));
}

TEST_F(LanguageTablesTest, EntryCountsOutsideTheRangeMeanNoLanguage) {
    for (const char* entries : {"-1", "100", "2147483647", "-2147483648"}) {
        ResetLanguageTables();
        Catalogue(std::string("ENTRIES=") + entries + "\r\nLANG_1=English\r\nLANG_EXT_1=ENG\r\n");
        Language("ENG", "");
        EXPECT_TRUE(LoadLanguageCatalogue("KD50")) << entries;
        EXPECT_EQ(TheLanguageTables().Entries, 0) << entries;
        EXPECT_TRUE(TheLanguageTables().Names.empty()) << entries;
        EXPECT_FALSE(SelectLanguage("English")) << entries;
    }
    ResetLanguageTables();
    Catalogue("ENTRIES=99\r\n");
    EXPECT_FALSE(LoadLanguageCatalogue("KD50")); // LANG_1 missing
    EXPECT_EQ(TheLanguageTables().Names.size(), 99u);
}

TEST_F(LanguageTablesTest, NoCatalogueMeansFallbacks) {
    EXPECT_FALSE(LoadLanguageCatalogue("KD50"));
    EXPECT_FALSE(SelectLanguage("English"));
    EXPECT_EQ(TheLanguageTables().CurrentLanguageFile, "");
    EXPECT_EQ(LanguageText("S", "k", "fallback"), "fallback");
    EXPECT_EQ(LanguageTextWithCommon("S", "k", "fallback"), "fallback");
}

TEST_F(LanguageTablesTest, LookupCleansRemarksAndFallsBackToCommon) {
    Catalogue("ENTRIES=1\r\nLANG_1=English\r\nLANG_EXT_1=ENG\r\n");
    Language("ENG", "[DLG]\r\n"
                    "remark=Start   // the start button\r\n"
                    "own=from the dialog\r\n"
                    "[COMMON]\r\n"
                    "own=from common\r\n"
                    "shared=from common\r\n");
    ASSERT_TRUE(LoadLanguageCatalogue("KD50"));
    ASSERT_TRUE(SelectLanguage("English"));
    EXPECT_EQ(LanguageText("DLG", "remark", "x"), "Start");
    EXPECT_EQ(LanguageText("DLG", "shared", "fallback"), "fallback");
    EXPECT_EQ(LanguageTextWithCommon("DLG", "shared", "fallback"), "from common");
    EXPECT_EQ(LanguageTextWithCommon("DLG", "own", "fallback"), "from the dialog");
    EXPECT_EQ(LanguageTextWithCommon("DLG", "absent", "fallback"), "fallback");
}

TEST(CleanLanguageValue, Cases) {
    EXPECT_EQ(CleanLanguageValue("Start   // remark"), "Start");
    EXPECT_EQ(CleanLanguageValue("Start\t//remark // more"), "Start");
    EXPECT_EQ(CleanLanguageValue("//whole"), "//whole");
    EXPECT_EQ(CleanLanguageValue("a//b"), "a");
    EXPECT_EQ(CleanLanguageValue(" //b"), "");
    EXPECT_EQ(CleanLanguageValue("http://host"), "http:");
    EXPECT_EQ(CleanLanguageValue("a/b"), "a/b");
}

} // namespace
