// The profile reader and writer on arbitrary files with arbitrary names and
// values. Input: a mode byte, then section, key, value, another section and
// another key, each ended by a 0 byte, then the file's bytes.
//
// Checked: reads stay inside their buffer; a write into the file succeeds;
// for names and values a profile line can hold, what was written reads back
// and a key with other names reads as before; a batch of the same writes
// leaves exactly the bytes of the single writes.
#include "fuzz/FuzzSupport.h"
#include "infra/ProfileStore.h"
#include "platform/Profile.h"
#include "platform/ProfileWriteBatch.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

bool HasLineEnd(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::string_view TrimSpaces(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view()
                                           : s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool BlankAtAnEnd(std::string_view s) {
    return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

// Names compare ignoring spaces around them and the case of A-Z.
std::string Normal(std::string_view name) {
    std::string out(TrimSpaces(name));
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// What a profile line can hold and give back unchanged.
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    if (HasLineEnd(section) || HasLineEnd(key) || HasLineEnd(value)) {
        return false;
    }
    if (section.find(']') != std::string_view::npos || BlankAtAnEnd(section)) {
        return false;
    }
    if (key.find('=') != std::string_view::npos || BlankAtAnEnd(key) ||
        (!key.empty() && (key.front() == '[' || key.front() == ';'))) {
        return false;
    }
    // The store reads the missing-value marker as missing and cuts long values.
    if (value == kMissingValueMarker || value.size() >= kProfileReadBufferSize) {
        return false;
    }
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return !BlankAtAnEnd(value) && !quoted;
}

std::optional<std::string> Get(const std::string& file, const std::string& section,
                               const std::string& key) {
    std::string value;
    if (!ReadProfileText(file, section, key, value)) {
        return std::nullopt;
    }
    return value;
}

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const fuzz::Fields fields = fuzz::SplitFields(data + 1, size - 1, 5);
    const std::string& section = fields.texts[0];
    const std::string& key = fields.texts[1];
    const std::string& value = fields.texts[2];
    const std::string& otherSection = fields.texts[3];
    const std::string& otherKey = fields.texts[4];
    const std::string single = fuzz::ScratchFolder() + "/single.ini";
    fuzz::WriteBytes(single, fields.rest);

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
    fuzz::WriteBytes(batched, fields.rest);

    Check(win::WritePrivateProfileStringA(section.c_str(), keyArg, valueArg, single.c_str()) != 0);
    // Names and values are written verbatim, as on Windows: one with a line
    // end, a "]" or an "=" in the wrong place makes other lines of the file.
    if (Storable(section, key, action < 2 ? value : std::string())) {
        if (action < 2) {
            Check(Get(single, section, key) == value);
        }
        const bool otherDiffers = Normal(section) != Normal(otherSection) ||
                                  (action != 3 && Normal(key) != Normal(otherKey));
        if (otherDiffers) {
            Check(Get(single, otherSection, otherKey) == otherBefore);
        }
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
    Check(fuzz::ReadBytes(single) == fuzz::ReadBytes(batched));
    return 0;
}
