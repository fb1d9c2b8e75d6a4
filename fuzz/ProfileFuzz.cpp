// The profile reader and writer on arbitrary files, names and values. Input:
// a mode byte; section, key, value, another section and another key, each
// ended by a 0 byte; the file's bytes. Checked: reads stay inside their
// buffer; a write succeeds; names and values a profile line can hold read
// back, and a key with other names reads as before; a batch of the same
// writes leaves exactly the bytes of the single writes.
#include "fuzz/FuzzSupport.h"
#include "infra/ProfileStore.h"
#include "platform/Profile.h"
#include "platform/ProfileWriteBatch.h"

#include <optional>
#include <vector>

namespace {

using fuzz::Check;
constexpr auto npos = std::string_view::npos;

std::string_view TrimSpaces(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == npos ? std::string_view()
                         : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// Names compare ignoring spaces around them and the case of A-Z.
std::string Normal(std::string_view name) {
    std::string out(TrimSpaces(name));
    for (char& c : out) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

// What a profile line can hold and give back unchanged. The store reads the
// missing-value marker as missing and cuts long values.
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    const std::string all = std::string(section).append(key).append(value);
    return all.find_first_of("\r\n") == npos && section.find(']') == npos &&
           key.find('=') == npos && (key.empty() || (key.front() != '[' && key.front() != ';')) &&
           !fuzz::BlankAtAnEnd(section) && !fuzz::BlankAtAnEnd(key) && !fuzz::BlankAtAnEnd(value) &&
           !fuzz::Quoted(value) && value != kMissingValueMarker &&
           value.size() < kProfileReadBufferSize;
}

std::optional<std::string> Get(const std::string& file, const std::string& section,
                               const std::string& key) {
    std::string value;
    return ReadProfileText(file, section, key, value) ? std::optional(value) : std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const auto [texts, rest] = fuzz::SplitFields<5>(data + 1, size - 1);
    const auto& [section, key, value, otherSection, otherKey] = texts;
    const std::string single = fuzz::ScratchFolder() + "/single.ini";
    WriteFile(single, std::string(rest));

    // Any buffer size: the copy stays inside it and is terminated.
    std::vector<char> buffer(1 + (mode >> 3) * 40, '\x55');
    const win::DWORD count =
        win::GetPrivateProfileStringA(section.c_str(), key.c_str(), "DEFAULT  ", buffer.data(),
                                      static_cast<win::DWORD>(buffer.size()), single.c_str());
    Check(count < buffer.size() && buffer[count] == '\0');
    std::int32_t number = 7;
    ReadProfileInt(single, section, key, number);
    if ((mode & 1) == 0) {
        return 0;
    }

    // One write: set (modes 0 and 1), delete the key (2) or the section (3).
    const int action = (mode >> 1) & 3;
    const char* keyArg = action == 3 ? nullptr : key.c_str();
    const char* valueArg = action >= 2 ? nullptr : value.c_str();
    const std::optional<std::string> otherBefore = Get(single, otherSection, otherKey);
    const std::string batched = fuzz::ScratchFolder() + "/batched.ini";
    WriteFile(batched, std::string(rest));

    Check(win::WritePrivateProfileStringA(section.c_str(), keyArg, valueArg, single.c_str()) != 0);
    // Names and values are written verbatim, as on Windows: one with a line
    // end, a "]" or an "=" in the wrong place makes other lines of the file.
    if (Storable(section, key, action < 2 ? value : std::string())) {
        Check(action >= 2 || Get(single, section, key) == value);
        const bool otherDiffers = Normal(section) != Normal(otherSection) ||
                                  (action != 3 && Normal(key) != Normal(otherKey));
        Check(!otherDiffers || Get(single, otherSection, otherKey) == otherBefore);
    }

    // The same write and one more, single and as a batch: the same bytes.
    const std::string second = value + "+";
    Check(win::WritePrivateProfileStringA(otherSection.c_str(), otherKey.c_str(), second.c_str(),
                                          single.c_str()) != 0);
    {
        win::ProfileWriteBatch batch(batched);
        Check(win::WritePrivateProfileStringA(section.c_str(), keyArg, valueArg, batched.c_str()) !=
              0);
        Check(batch.Write(otherSection.c_str(), otherKey.c_str(), second.c_str()) != 0);
        Check(batch.Commit() != 0);
    }
    Check(ReadFile(single) == ReadFile(batched));
    return 0;
}
