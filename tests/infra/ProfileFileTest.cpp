// The Windows profile-file calls: reading files written by hand, writing that
// keeps every other byte, and atomic replacement.
#include "TempFolder.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using win::GetPrivateProfileStringA;
using win::WritePrivateProfileStringA;

namespace {

constexpr const char* kDefault = "DEFAULT";

std::string Get(const std::string& file, const char* section, const char* key,
                const char* deflt = kDefault) {
    char buffer[256];
    GetPrivateProfileStringA(section, key, deflt, buffer, sizeof buffer, file.c_str());
    return buffer;
}

// A hand-written file with odd spacing; "\n" stands for the line end under test.
const char* const kHandWritten = "; comment=hidden\n"
                                 "orphan=before any section\n"
                                 "  [ Sec One ] junk after\n"
                                 "  Key1 =  value one \t \n"
                                 "key2=\t\"quoted  \"\t\n"
                                 "KEY3='single'\n"
                                 "mixed=\"a'\n"
                                 "key1=second of duplicates\n"
                                 "no equals sign here\n"
                                 " ;commented=1\n"
                                 "#hash=1\n"
                                 "empty=\n"
                                 "lonequote=\"\n"
                                 "nested=\"\"x\"\"\n"
                                 "semi=a;b\n"
                                 "[sec one]\n"
                                 "onlyInSecond=1\n"
                                 "[Other\n"
                                 "k = v";

std::string WithLineEnd(const std::string& text, const std::string& lineEnd) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += lineEnd;
        } else {
            out += c;
        }
    }
    return out;
}

class HandWrittenFile : public ::testing::TestWithParam<const char*> {
protected:
    TempFolder dir;
    std::string file = dir / "hand.ini";
    void SetUp() override { WriteFile(file, WithLineEnd(kHandWritten, GetParam())); }
};

TEST_P(HandWrittenFile, ReadsAsWindowsDoes) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Sec One", "key1", "value one"},
        {"  sec one  ", " KEY1 ", "value one"}, // names match ignoring case and spaces
        {"SEC ONE", "Key2", "quoted  "},        // one pair of quotes goes, inside stays
        {"Sec One", "key3", "single"},
        {"Sec One", "mixed", "\"a'"}, // quotes that do not match stay
        {"Sec One", "lonequote", "\""},
        {"Sec One", "nested", "\"x\""}, // only the outer pair goes
        {"Sec One", "empty", ""},
        {"Sec One", "#hash", "1"}, // "#" starts no comment
        {"Sec One", "semi", "a;b"},
        {"Sec One", "orphan", kDefault}, // keys before the first section
        {"Sec One", "no equals sign here", kDefault},
        {"Sec One", ";commented", kDefault},
        {"Sec One", "comment", kDefault},
        {"Sec One", "onlyInSecond", kDefault}, // the first of duplicate sections wins
        {"Other", "k", "v"},                   // header without "]", last line without end
        {"Missing", "k", kDefault},
        {"Sec One", "missing", kDefault},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Get(file, c.section, c.key), c.expected) << c.section << " / " << c.key;
    }
}

INSTANTIATE_TEST_SUITE_P(LineEnds, HandWrittenFile, ::testing::Values("\r\n", "\n", "\r"));

class ProfileRead : public ::testing::Test {
protected:
    TempFolder dir;
    std::string file = dir / "read.ini";
};

TEST_F(ProfileRead, ByteOrderMarkIsNotSpecialAndTheFileIsReadEveryTime) {
    WriteFile(file, "\xEF\xBB\xBF[First]\r\na=1\r\n[Second]\r\nb=2\r\n");
    EXPECT_EQ(Get(file, "First", "a"), kDefault);
    EXPECT_EQ(Get(file, "Second", "b"), "2");
    WriteFile(file, "[Second]\r\nb=3\r\n");
    EXPECT_EQ(Get(file, "Second", "b"), "3");
}

TEST_F(ProfileRead, CopiesAtMostSizeMinusOneAndTerminates) {
    WriteFile(file, "[S]\r\nk=abcdef\r\n");
    char buffer[8] = "zzzzzzz";
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 4, file.c_str()), 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, 0, file.c_str()), 0u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(GetPrivateProfileStringA("S", "none", "long default", buffer, 5, file.c_str()), 4u);
    EXPECT_STREQ(buffer, "long");
    // Without a file the default loses its trailing spaces only.
    EXPECT_EQ(Get(dir / "missing.ini", "S", "k", "  dflt \t  "), "  dflt \t");
    EXPECT_EQ(Get(dir / "missing.ini", "S", "k", nullptr), "");
}

TEST(ProfileWrite, NewFilesSectionsAndValues) {
    struct Case {
        const char* before; // nullptr: no file yet
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {nullptr, " Sec ", " key ", "value", "[Sec]\r\nkey=value\r\n"},
        // A new section goes at the end, after a line end.
        {"[A]\nk=1", "B", "k", "2", "[A]\nk=1\r\n[B]\r\nk=2\r\n"},
        // A null key deletes header and keys, not the comments.
        {"[A]\r\na=1\r\n; note\r\nb=2\r\n[B]\r\nc=3\r\n", "a", nullptr, nullptr,
         "; note\r\n[B]\r\nc=3\r\n"},
        // The value is written as it is.
        {nullptr, "S", "k", "  padded ; \"q\"  ", "[S]\r\nk=  padded ; \"q\"  \r\n"},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const std::string file = dir / "write.ini";
        if (c.before != nullptr) {
            WriteFile(file, c.before);
        }
        ASSERT_NE(WritePrivateProfileStringA(c.section, c.key, c.value, file.c_str()), 0);
        EXPECT_EQ(ReadFile(file), c.after) << c.section;
    }
}

// Each write changes only the bytes it has to.
TEST(ProfileWrite, KeepsEveryOtherByte) {
    TempFolder dir;
    const std::string file = dir / "keep.ini";
    const std::string original = "; settings\n"
                                 "[Main]\n"
                                 "  Alpha = 1   \n"
                                 "\n"
                                 "; about beta\n"
                                 "Beta=2\n"
                                 "odd line\n"
                                 "[Empty]\n"
                                 "[Next]\n"
                                 "x=1";
    struct Step {
        const char* section;
        const char* key;
        const char* value;
        const char* from;
        const char* to;
    };
    const Step steps[] = {
        {"main", "ALPHA", "9", "  Alpha = 1   \n", "  Alpha = 9\n"},
        {"Main", "Gamma", "3", "Beta=2\n", "Beta=2\nGamma=3\r\n"},
        {"Empty", "e", "1", "[Empty]\n", "[Empty]\ne=1\r\n"},
        {"Next", "y", "2", "x=1", "x=1\r\ny=2\r\n"},
        {"Main", "Beta", nullptr, "Beta=2\n", ""},
        {"Main", "Absent", nullptr, "", ""},
    };
    for (const Step& s : steps) {
        WriteFile(file, original);
        ASSERT_NE(WritePrivateProfileStringA(s.section, s.key, s.value, file.c_str()), 0);
        std::string expected = original;
        if (*s.from != '\0') {
            expected.replace(expected.find(s.from), std::string(s.from).size(), s.to);
        }
        EXPECT_EQ(ReadFile(file), expected) << s.section << " / " << s.key;
    }
}

TEST(ProfileWrite, WhatCannotBeWrittenFailsAndCreatesNothing) {
    TempFolder dir;
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", (dir / "absent/x.ini").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
    const std::string folder = dir / "isdir.ini";
    std::filesystem::create_directory(folder);
    EXPECT_EQ(WritePrivateProfileStringA("S", "k", "v", folder.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    // Deleting from a missing file succeeds without making one.
    const std::string none = dir / "none.ini";
    EXPECT_NE(WritePrivateProfileStringA("S", "k", nullptr, none.c_str()), 0);
    EXPECT_NE(WritePrivateProfileStringA("S", nullptr, nullptr, none.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(none));
}

TEST(ProfileWrite, KeepsPermissionsAndSymbolicLinks) {
    TempFolder dir;
    const std::string target = dir / "target.ini";
    const std::string link = dir / "link.ini";
    WriteFile(target, "[S]\r\nk=1\r\n");
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    std::filesystem::create_symlink(target, link);
    ASSERT_NE(WritePrivateProfileStringA("S", "k", "2", link.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFile(target), "[S]\r\nk=2\r\n");
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A write cut short (here by the file-size limit, as a full disk would) fails
// and leaves the old file whole, with no temporary file behind.
TEST(ProfileWrite, InterruptedWriteLeavesTheOldFileWhole) {
    TempFolder dir;
    const std::string file = dir / "setup.ini";
    const std::string original = "[DEVICE]\r\nSPLIT=1\r\n; keep\r\n";
    WriteFile(file, original);
    EXPECT_EQ(RunInChild([&] {
                  std::signal(SIGXFSZ, SIG_IGN);
                  rlimit limit{64, 64};
                  setrlimit(RLIMIT_FSIZE, &limit);
                  const std::string big(4096, 'x');
                  return WritePrivateProfileStringA("DEVICE", "NOTE", big.c_str(), file.c_str()) !=
                         0;
              }),
              0)
        << "the cut write was reported as success";
    EXPECT_EQ(ReadFile(file), original);
    const std::filesystem::directory_iterator entries(dir.Path());
    EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
}

// A read-only file stays as it is, although its folder may be written. Run
// as an unprivileged user, since root may write anything.
TEST(ProfileWrite, AReadOnlyFileIsNotRewritten) {
    TempFolder dir;
    const std::string file = dir / "readonly.ini";
    WriteFile(file, "[S]\r\nk=1\r\n");
    ASSERT_EQ(chmod(dir.Path().c_str(), 0777), 0);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(file.c_str(), kNobody, kNobody), 0);
    }
    const auto write = [&] { return WritePrivateProfileStringA("S", "k", "2", file.c_str()) != 0; };
    EXPECT_EQ(RunInChild(write, true), 0);
    EXPECT_EQ(ReadFile(file), "[S]\r\nk=1\r\n");
}

} // namespace
