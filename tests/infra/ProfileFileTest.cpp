// The Windows profile-file calls (reading files written by hand, writing that
// keeps every other byte, atomic replacement) and the typed store above them.
#include "TempFolder.h"
#include "infra/ProfileStore.h"
#include "infra/SystemConfiguration.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using win::GetPrivateProfileStringA;
using win::WritePrivateProfileStringA;
namespace fs = std::filesystem;

namespace {

constexpr const char* kDefault = "DEFAULT";

std::string Get(const std::string& file, const char* section, const char* key,
                const char* deflt = kDefault) {
    char buffer[256];
    GetPrivateProfileStringA(section, key, deflt, buffer, sizeof buffer, file.c_str());
    return buffer;
}

class ProfileTest : public ::testing::Test {
protected:
    TempFolder dir;
    std::string file = dir / "profile.ini";
};

// A hand-written file with odd spacing; "\n" stands for the line end under test.
const std::string kHandWritten = "\xEF\xBB\xBF[First]\na=1\n; comment=hidden\norphan=before\n"
                                 "  [ Sec One ] junk after\n  Key1 =  value one \t \n"
                                 "key2=\t\"quoted  \"\t\nKEY3='single'\nmixed=\"a'\n"
                                 "key1=second of duplicates\nno equals sign here\n"
                                 " ;commented=1\n#hash=1\nempty=\nlonequote=\"\nquotes=\"\"\n"
                                 "nested=\"\"x\"\"\nsemi=a;b\n[sec one]\nonlyInSecond=1\n"
                                 "[Other\nk = v";

class HandWrittenFile : public ProfileTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(HandWrittenFile, ReadsAsWindowsDoes) {
    std::string content;
    for (char c : kHandWritten) {
        content += c == '\n' ? std::string(GetParam()) : std::string(1, c);
    }
    WriteFile(file, content);
    const char* const cases[][3] = {
        {"Sec One", "key1", "value one"},
        {"  sec one  ", " KEY1 ", "value one"}, // names match ignoring case and spaces
        {"SEC ONE", "Key2", "quoted  "},        // one pair of quotes goes, inside stays
        {"Sec One", "key3", "single"},
        {"Sec One", "mixed", "\"a'"}, // quotes that do not match stay
        {"Sec One", "lonequote", "\""},
        {"Sec One", "quotes", ""},
        {"Sec One", "nested", "\"x\""}, // only the outer pair goes
        {"Sec One", "empty", ""},
        {"Sec One", "#hash", "1"}, // "#" starts no comment
        {"Sec One", "semi", "a;b"},
        {"First", "a", kDefault}, // a byte-order mark is part of the line
        {"Sec One", "orphan", kDefault},
        {"Sec One", "no equals sign here", kDefault},
        {"Sec One", ";commented", kDefault},
        {"Sec One", "comment", kDefault},
        {"Sec One", "onlyInSecond", kDefault}, // the first of duplicate sections wins
        {"Other", "k", "v"},                   // header without "]", last line without end
        {"Missing", "k", kDefault},
        {"Sec One", "missing", kDefault},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Get(file, c[0], c[1]), c[2]) << c[0] << " / " << c[1];
    }
}

INSTANTIATE_TEST_SUITE_P(LineEnds, HandWrittenFile, ::testing::Values("\r\n", "\n", "\r"));

TEST_F(ProfileTest, ReadCopiesAtMostSizeMinusOneAndTerminates) {
    WriteFile(file, "[S]\r\nk=abcd\r\n");
    const std::tuple<const char*, const char*, win::DWORD, const char*> cases[] = {
        {"k", "", 4, "abc"},  // a value of exactly the buffer's size
        {"k", "", 5, "abcd"}, // and one that just fits
        {"k", "", 1, ""},
        {"k", "", 0, "zzzzzzz"}, // no room: nothing written
        {"none", "long default", 5, "long"},
    };
    for (const auto& [key, deflt, size, text] : cases) {
        char buffer[8] = "zzzzzzz";
        EXPECT_EQ(GetPrivateProfileStringA("S", key, deflt, buffer, size, file.c_str()),
                  size == 0 ? 0 : std::strlen(text))
            << size;
        EXPECT_STREQ(buffer, text) << size;
    }
    // Without a file the default loses its trailing spaces only.
    EXPECT_EQ(Get(dir / "missing.ini", "S", "k", "  dflt \t  "), "  dflt \t");
    EXPECT_EQ(Get(dir / "missing.ini", "S", "k", nullptr), "");
    // A file whose read fails (EIO at address 0 of this process) gives the default too.
    EXPECT_EQ(Get("/proc/self/mem", "S", "k", "dflt"), "dflt");
    WriteFile(file, "[S]\r\nk=new\r\n");
    EXPECT_EQ(Get(file, "S", "k"), "new"); // the file is read anew every time
}

// Each write changes only the bytes it has to.
TEST_F(ProfileTest, WriteNewFilesSectionsAndValuesAndKeepEveryOtherByte) {
    const std::string original = "; settings\n[Main]\n  Alpha = 1   \n\n; about beta\nBeta=2\nodd "
                                 "line\n[Empty]\n[Next]\nx=1";
    const char* const o = original.c_str();
    const auto edited = [&](const std::string& from, const std::string& to) {
        return std::string(original).replace(original.find(from), from.size(), to);
    };
    const struct {
        const char* before; // nullptr: no file yet
        const char *section, *key, *value;
        std::string after;
    } cases[] = {
        {nullptr, " Sec ", " key ", "value", "[Sec]\r\nkey=value\r\n"},
        // A new section goes at the end, after a line end.
        {"[A]\nk=1", "B", "k", "2", "[A]\nk=1\r\n[B]\r\nk=2\r\n"},
        // A null key deletes header and keys, not the comments.
        {"[A]\r\na=1\r\n; note\r\nb=2\r\n[B]\r\nc=3\r\n", "a", nullptr, nullptr,
         "; note\r\n[B]\r\nc=3\r\n"},
        // The value is written as it is.
        {nullptr, "S", "k", "  padded ; \"q\"  ", "[S]\r\nk=  padded ; \"q\"  \r\n"},
        {o, "main", "ALPHA", "9", edited("  Alpha = 1   \n", "  Alpha = 9\n")},
        {o, "Main", "Gamma", "3", edited("Beta=2\n", "Beta=2\nGamma=3\r\n")},
        {o, "Empty", "e", "1", edited("[Empty]\n", "[Empty]\ne=1\r\n")},
        {o, "Next", "y", "2", edited("x=1", "x=1\r\ny=2\r\n")},
        {o, "Main", "Beta", nullptr, edited("Beta=2\n", "")},
        {o, "Main", "Absent", nullptr, original},
    };
    for (const auto& c : cases) {
        fs::remove(file);
        if (c.before != nullptr) {
            WriteFile(file, c.before);
        }
        ASSERT_NE(WritePrivateProfileStringA(c.section, c.key, c.value, file.c_str()), 0);
        EXPECT_EQ(ReadFile(file), c.after) << c.section;
    }
}

// A write cut short (here by the file-size limit, as a full disk would) fails
// and leaves the old file whole, with no temporary file behind: a single write,
// and the configuration's save of all its keys at once.
TEST_F(ProfileTest, WriteInterruptedWriteLeavesTheOldFileWhole) {
    const std::string original = "[DEVICE]\r\nSPLIT=1\r\n[TM80M1]\r\n; keep\r\n";
    const std::string big(4096, 'x');
    for (const bool configuration : {false, true}) {
        WriteFile(file, original);
        TheSystemConfiguration().LastIpUsed = big;
        EXPECT_EQ(RunInChild([&] {
                      std::signal(SIGXFSZ, SIG_IGN);
                      const rlimit limit{96, 96};
                      setrlimit(RLIMIT_FSIZE, &limit);
                      return configuration ? SaveConfiguration(file.c_str())
                                           : WritePrivateProfileStringA(
                                                 "DEVICE", "NOTE", big.c_str(), file.c_str()) != 0;
                  }),
                  0)
            << "the cut write was reported as success";
        EXPECT_EQ(ReadFile(file), original);
        EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{"profile.ini"});
    }
    TheSystemConfiguration() = SystemConfiguration{};
}

// A write keeps permissions and symbolic links. A read-only file stays as it
// is, although its folder may be written: run as an unprivileged user, since
// root may write anything.
TEST_F(ProfileTest, WriteKeepsPermissionsAndLinksAndLeavesAReadOnlyFile) {
    WriteFile(file, "[S]\r\nk=1\r\n");
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    fs::create_symlink(file, dir / "link.ini");
    ASSERT_NE(WritePrivateProfileStringA("S", "k", "2", (dir / "link.ini").c_str()), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(ReadFile(file), "[S]\r\nk=2\r\n");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
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

TEST_F(ProfileTest, StoreReadsWholeDecimalIntegersAndTextsAndWritesPlainDecimal) {
    const std::string longValue(2000, 'v');
    WriteFile(file, "[S]\r\nempty=\r\nminus=-7\r\nplus=+7\r\nquoted=\"42\"\r\nhuge=99999999999\r\n"
                    "tiny=-99999999999\r\ntrailing=12abc\r\nhex=0x10\r\nfraction=1.5\r\nsign=+\r\n"
                    "marker=BOGUS SECTION or KEY\r\nlower=bogus section or key\r\nlong=" +
                        longValue + "\r\n");
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"empty", 0},        {"minus", -7},       {"plus", 7},       {"quoted", 42},
        {"huge", INT32_MAX}, {"tiny", INT32_MIN}, {"trailing", 555}, {"hex", 555},
        {"fraction", 555},   {"sign", 555},       {"marker", 555},   {"absent", 555},
    };
    for (const auto& [key, expected] : numbers) {
        std::int32_t value = 555; // 555: not read, and left as it was
        EXPECT_EQ(ReadProfileInt(file, "S", key, value), expected != 555) << key;
        EXPECT_EQ(value, expected) << key;
    }
    const std::pair<const char*, std::string> texts[] = {{"empty", ""},
                                                         {"marker", "default"},
                                                         {"lower", "bogus section or key"},
                                                         {"long", longValue.substr(0, 1023)}};
    for (const auto& [key, expected] : texts) {
        std::string text = "default"; // "default": not read, and left as it was
        EXPECT_EQ(ReadProfileText(file, "S", key, text), expected != "default") << key;
        EXPECT_EQ(text, expected) << key;
    }
    std::int32_t value = 555;
    std::string text = "default";
    EXPECT_FALSE(ReadProfileInt(dir / "missing.ini", "S", "minus", value));
    EXPECT_FALSE(ReadProfileText(dir / "missing.ini", "S", "empty", text));
    EXPECT_EQ(value, 555);
    EXPECT_EQ(text, "default");
    // Written as plain decimal.
    const std::string plain = dir / "plain.ini";
    for (const std::int32_t value : {0, 1, -1, INT32_MAX, INT32_MIN}) {
        EXPECT_TRUE(WriteProfileInt(plain, "S", std::to_string(value), value));
    }
    EXPECT_EQ(ReadFile(plain),
              "[S]\r\n0=0\r\n1=1\r\n-1=-1\r\n2147483647=2147483647\r\n-2147483648=-2147483648\r\n");
}

TEST_F(ProfileTest, StoreFilesFoldersTitlesAndTheCurrentFolder) {
    WriteFile(file, "x");
    EXPECT_TRUE(FileExists(file) && !FolderExists(file));
    EXPECT_TRUE(FolderExists(dir.Path()) && !FileExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir / "missing") || FolderExists(dir / "missing"));
    EXPECT_EQ(FileTitleOf("/a/b/ErrorLog.Log"), "ErrorLog");
    EXPECT_EQ(FileTitleOf("/a.b/c"), "c");
    EXPECT_EQ(FileTitleOf("a.b.c"), "a.b");
    EXPECT_EQ(FileTitleOf(".Log"), "");
    // A null or missing folder changes nothing; there are no drive letters: "D:" is a name.
    fs::create_directories(dir / "D:");
    WorkingFolder here(dir.Path());
    ChangeToFolder(static_cast<const char*>(nullptr));
    ChangeToFolder(dir / "missing");
    EXPECT_EQ(fs::current_path(), fs::path(dir.Path()));
    ChangeToFolder("D:");
    EXPECT_EQ(fs::current_path(), fs::path(dir / "D:"));
}

} // namespace
