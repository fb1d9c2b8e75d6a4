// The typed profile store and the file helpers.
#include "infra/ProfileStore.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

namespace {

class ProfileStore : public ::testing::Test {
protected:
    TempFolder dir;
    std::string file = dir / "store.ini";
};

TEST_F(ProfileStore, ReadsWholeDecimalIntegersOnly) {
    WriteFile(file, "[S]\r\n"
                    "empty=\r\n"
                    "minus=-7\r\n"
                    "plus=+7\r\n"
                    "quoted=\"42\"\r\n"
                    "huge=99999999999\r\n"
                    "tiny=-99999999999\r\n"
                    "trailing=12abc\r\n"
                    "hex=0x10\r\n"
                    "fraction=1.5\r\n"
                    "sign=+\r\n"
                    "marker=BOGUS SECTION or KEY\r\n");
    struct Case {
        const char* key;
        bool found;
        std::int32_t value;
    };
    const Case cases[] = {
        {"empty", true, 0},       {"minus", true, -7},       {"plus", true, 7},
        {"quoted", true, 42},     {"huge", true, INT32_MAX}, {"tiny", true, INT32_MIN},
        {"trailing", false, 555}, {"hex", false, 555},       {"fraction", false, 555},
        {"sign", false, 555},     {"marker", false, 555},    {"absent", false, 555},
    };
    for (const Case& c : cases) {
        std::int32_t value = 555;
        EXPECT_EQ(ReadProfileInt(file, "S", c.key, value), c.found) << c.key;
        EXPECT_EQ(value, c.value) << c.key;
    }
    std::int32_t value = 555;
    EXPECT_FALSE(ReadProfileInt(dir / "missing.ini", "S", "minus", value));
    EXPECT_EQ(value, 555);
}

TEST_F(ProfileStore, ReadsTextsAndTellsMissingFromEmpty) {
    const std::string longValue(2000, 'v');
    WriteFile(file, "[S]\r\nempty=\r\nmarker=BOGUS SECTION or KEY\r\n"
                    "lower=bogus section or key\r\nlong=" +
                        longValue + "\r\n");
    std::string text = "default";
    EXPECT_TRUE(ReadProfileText(file, "S", "empty", text));
    EXPECT_EQ(text, "");
    text = "default";
    EXPECT_FALSE(ReadProfileText(file, "S", "marker", text));
    EXPECT_EQ(text, "default");
    EXPECT_TRUE(ReadProfileText(file, "S", "lower", text));
    EXPECT_EQ(text, "bogus section or key");
    EXPECT_TRUE(ReadProfileText(file, "S", "long", text));
    EXPECT_EQ(text, longValue.substr(0, 1023));
    text = "default";
    EXPECT_FALSE(ReadProfileText(dir / "missing.ini", "S", "empty", text));
    EXPECT_EQ(text, "default");
}

TEST_F(ProfileStore, WritesPlainDecimal) {
    EXPECT_TRUE(WriteProfileInt(file, "S", "zero", 0));
    EXPECT_TRUE(WriteProfileInt(file, "S", "one", 1));
    EXPECT_TRUE(WriteProfileInt(file, "S", "minus", -1));
    EXPECT_TRUE(WriteProfileInt(file, "S", "max", INT32_MAX));
    EXPECT_TRUE(WriteProfileInt(file, "S", "min", INT32_MIN));
    EXPECT_EQ(ReadFile(file), "[S]\r\nzero=0\r\none=1\r\nminus=-1\r\nmax=2147483647\r\n"
                              "min=-2147483648\r\n");
    EXPECT_FALSE(WriteProfileInt(dir / "absent/x.ini", "S", "k", 1));
}

TEST_F(ProfileStore, FileAndFolderChecksDoNotConfuseTheTwo) {
    WriteFile(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_TRUE(FolderExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir / "missing"));
    EXPECT_FALSE(FolderExists(dir / "missing"));
}

TEST_F(ProfileStore, ChangeToFolderTakesRelativeNamesAndIgnoresNull) {
    std::filesystem::create_directories(dir / "x");
    std::filesystem::create_directories(dir / "D:/x");
    WorkingFolder here(dir.Path());
    const auto start = std::filesystem::current_path();
    ChangeToFolder(static_cast<const char*>(nullptr));
    EXPECT_EQ(std::filesystem::current_path(), start);
    ChangeToFolder("x");
    EXPECT_EQ(std::filesystem::current_path(), start / "x");
    // No drive letters here: "D:/x" is a relative folder name like any other.
    ChangeToFolder(start.string() + "/D:/x");
    EXPECT_EQ(std::filesystem::current_path(), start / "D:" / "x");
    ChangeToFolder(dir / "missing");
    EXPECT_EQ(std::filesystem::current_path(), start / "D:" / "x");
}

TEST(FileTitle, DropsFolderAndExtension) {
    EXPECT_EQ(FileTitleOf("/a/b/ErrorLog.Log"), "ErrorLog");
    EXPECT_EQ(FileTitleOf("/root/SYSTEM/ERLOGS/KD50.Log"), "KD50");
    EXPECT_EQ(FileTitleOf("/a.b/c"), "c");
    EXPECT_EQ(FileTitleOf("a.b.c"), "a.b");
    EXPECT_EQ(FileTitleOf(".Log"), "");
    EXPECT_EQ(FileTitleOf(""), "");
}

} // namespace
