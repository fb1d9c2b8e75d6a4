// The Windows calls as the platform gives them: sockets, the clock, and profile
// files as Windows writes them (UTF-16 with a byte-order mark), write batches byte for byte
// against single writes, and writers killed at random points.
#include "../device/ResourceUsage.h"
#include "../infra/KilledWriter.h"
#include "../infra/TempFolder.h"
#include "platform/Clock.h"
#include "platform/Profile.h"
#include "platform/ProfileWriteBatch.h"
#include "platform/WinSock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

using win::GetPrivateProfileStringA, win::WritePrivateProfileStringA;

namespace {

TEST(WinSockStartup, SocketsAreRefusedUntilStartedAndCountsBalance) {
    int before = win::WSAStartupCount();
    if (before == 0) {
        EXPECT_EQ(win::socket(AF_INET, SOCK_STREAM, 0), win::INVALID_SOCKET);
        EXPECT_EQ(win::WSAGetLastError(), win::WSANOTINITIALISED);
        EXPECT_EQ(win::WSACleanup(), win::SOCKET_ERROR);
    }
    win::WSADATA data{};
    ASSERT_EQ(win::WSAStartup(win::MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, 0x0202);
    EXPECT_EQ(win::WSAStartupCount(), before + 1);
    EXPECT_EQ(win::WSACleanup(), 0);
    EXPECT_EQ(win::WSAStartupCount(), before);
}

TEST(ProcessClock, CountsWallTimeWhileSleeping) {
    std::int64_t start = win::ProcessClock();
    win::Sleep(30);
    EXPECT_GE(win::ProcessClock() - start, 30);
}

std::string Get(const std::string& file, const char* section, const char* key) {
    char buffer[256];
    GetPrivateProfileStringA(section, key, "DEFAULT", buffer, sizeof buffer, file.c_str());
    return buffer;
}

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    }
    return bytes;
}

struct Write {
    std::string section;
    std::optional<std::string> key;   // none: the section goes
    std::optional<std::string> value; // none: the key goes
};

bool WriteAll(const std::vector<Write>& writes, const std::string& file) {
    bool all = true;
    for (const Write& w : writes) {
        all &= WritePrivateProfileStringA(w.section.c_str(), w.key ? w.key->c_str() : nullptr,
                                          w.value ? w.value->c_str() : nullptr, file.c_str()) != 0;
    }
    return all;
}

// The writes of a setup save, with `seed` varying the values: keys the
// Windows file below holds (one with blanks around "="), new keys, a new section.
std::vector<Write> SetupSave(int seed) {
    std::vector<Write> writes{{"DEVICE", "3_BAND_SELECTION", std::to_string(seed % 8)}};
    for (int i = 0; i < 90; ++i) {
        writes.push_back({i < 80 ? "DEVICE" : "CALIBRATION",
                          std::to_string(i / 10) + "_" + std::to_string(i % 10) + "_ATT_SETTING",
                          std::to_string((i + seed) % 25 - 12)});
    }
    return writes;
}

// A file as a Windows user leaves it: comments, other sections, part of the
// keys present with blanks around "=".
const std::string kWindowsFile = "; TM80 setup\r\n[NOTES]\r\nSite=North mast\r\n[DEVICE]\r\n"
                                 "0_0_ATT_SETTING = 40\r\n; hand edit\r\n3_BAND_SELECTION=2\r\n"
                                 "\r\n[OLD]\r\nx=1\r\n";
const std::u16string kWindowsFileWide = u"; TM80 \u8A2D\u5B9A\r\n[NOTES]\r\n"
                                        u"Site=Nordmast \u00DC\u20AC\r\n[DEVICE]\r\n"
                                        u"0_0_ATT_SETTING = 40\r\n";

TEST(ProfileUnicode, ReadsAndKeepsWritingUtf16) {
    TempFolder dir(true);
    const std::string file = dir / "unicode.ini";
    WriteFile(file, Utf16File(kWindowsFileWide));
    EXPECT_EQ(Get(file, "notes", "site"), "Nordmast \xDC\x80"); // 8-bit as Windows-1252
    EXPECT_EQ(Get(file, "DEVICE", "0_0_ATT_SETTING"), "40");

    ASSERT_TRUE(WriteAll({{"NOTES", "Site", "M\xFCnchen \x80\x81"}, {"NEW", "k", "v"}}, file));
    EXPECT_EQ(ReadFile(file), Utf16File(u"; TM80 \u8A2D\u5B9A\r\n[NOTES]\r\n"
                                        u"Site=M\u00FCnchen \u20AC\u0081\r\n[DEVICE]\r\n"
                                        u"0_0_ATT_SETTING = 40\r\n[NEW]\r\nk=v\r\n"));
    EXPECT_EQ(Get(file, "NOTES", "Site"), "M\xFCnchen \x80\x81");

    // What 1252 cannot hold reads as "?"; an odd last byte is no character.
    WriteFile(file, Utf16File(u"[S]\r\nk=\u8A2D\U0001F600x\r\n") + "\x41");
    EXPECT_EQ(Get(file, "S", "k"), "??x");
}

TEST(ProfileWriteBatch, LeavesExactlyTheBytesOfTheSameSingleWrites) {
    const std::pair<const char*, std::optional<std::string>> fixtures[] = {
        {"windows", kWindowsFile},
        {"lf-without-last-line-end", "[DEVICE]\n1_ATT_ADJ=4\n[CALIBRATION]\nSPLIT_MODE=1"},
        {"utf16", Utf16File(kWindowsFileWide)},
        // Deleting [OLD] leaves the UTF-16 mark at the start: from then on the
        // file reads as UTF-16 (found by fuzzing).
        {"mark-after-the-first-section", "[OLD]\r\nx=1\r\n\xFF\xFE\r\n"},
        {"missing", std::nullopt},
    };
    std::vector<Write> writes = SetupSave(3);
    writes.push_back({"OLD", std::nullopt, std::nullopt});   // a section goes
    writes.push_back({"DEVICE", "9_ATT_ADJ", std::nullopt}); // a key goes
    writes.push_back({"DEVICE", "9_ATT_ADJ", "-3"});         // and comes back last
    writes.push_back({"ABSENT", "gone", std::nullopt});      // nothing to delete
    const int descriptors = resourcetest::OpenDescriptors();
    for (const auto& [name, content] : fixtures) {
        SCOPED_TRACE(name);
        TempFolder dir(true);
        const std::string single = dir / "single.ini", batched = dir / "batched.ini";
        if (content) {
            WriteFile(single, *content);
            WriteFile(batched, *content);
        }
        ASSERT_TRUE(WriteAll(writes, single));
        {
            // The ordinary calls, as a save makes them, go into the open batch.
            win::ProfileWriteBatch batch(batched);
            ASSERT_TRUE(WriteAll(writes, batched));
            EXPECT_EQ(std::filesystem::exists(batched), content.has_value());
            if (content) {
                EXPECT_EQ(ReadFile(batched), *content) << "written before Commit";
            }
            EXPECT_EQ(Get(batched, "DEVICE", "9_ATT_ADJ"), "-3"); // reads see the batch
            ASSERT_NE(batch.Commit(), 0);
        }
        EXPECT_EQ(ReadFile(batched), ReadFile(single));
        // With the batch gone, writes go to the file again.
        ASSERT_NE(WritePrivateProfileStringA("DEVICE", "SPLIT", "1", batched.c_str()), 0);
        EXPECT_EQ(Get(batched, "DEVICE", "SPLIT"), "1");
    }
    EXPECT_EQ(resourcetest::OpenDescriptors(), descriptors); // every write closed what it opened
}

// Writers killed (SIGKILL) at random points, a thousand times: each file is
// always the old one or a new one, whole, and a killed writer's temporary file
// is gone after the next write.
TEST(ProfileWrite, KilledWritersLeaveWholeFiles) {
    TempFolder dir(true);
    const std::string single = dir / "Tm80M1System.CFG", setup = dir / "unit.TM80";
    WriteFile(single, kWindowsFile);
    WriteFile(setup, kWindowsFile);
    const auto writeBoth = [&](int i) {
        win::ProfileWriteBatch batch(setup);
        WriteAll(SetupSave(i % 2), setup);
        return WriteAll({{"TM80M1", "LAUNCH_DIRECT", i % 2 != 0 ? "1" : "0"}}, single) &&
               batch.Commit() != 0;
    };
    // Every content a file may have: the original and the results of each kind of write.
    std::set<std::string> singleStates{kWindowsFile}, setupStates{kWindowsFile};
    killtest::KillWhileWriting(
        1000, 15, writeBoth,
        [&] {
            singleStates.insert(ReadFile(single));
            setupStates.insert(ReadFile(setup));
        },
        [&] {
            return singleStates.count(ReadFile(single)) == 1 &&
                   setupStates.count(ReadFile(setup)) == 1;
        });
    ASSERT_TRUE(writeBoth(0)); // the two files, and no temporary one beside them
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Tm80M1System.CFG", "unit.TM80"}));
}

} // namespace
