// What the fuzz harnesses share: their check, a scratch folder for the files
// they write, the input cut into fields, profile value rules and quiet trace
// channels.
#pragma once

#include "platform/DebugOutput.h"
#include "tests/infra/TempFolder.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

// A failed check is a crash the fuzzer keeps as a reproducer.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// This process's folder for the files a harness writes: in memory under
// /dev/shm when there is one (profile writes flush every file), removed at exit.
inline const std::string& ScratchFolder() {
    static const TempFolder scratch(true);
    return scratch.Path();
}

// The input as N texts, each ended by a 0 byte (missing ones are empty), and the rest.
template <std::size_t N> struct Fields {
    std::array<std::string, N> texts;
    std::string_view rest;
};
template <std::size_t N> Fields<N> SplitFields(const std::uint8_t* data, std::size_t size) {
    Fields<N> fields{{}, Text(data, size)};
    for (std::string& text : fields.texts) {
        const std::size_t end = std::min(fields.rest.find('\0'), fields.rest.size());
        text = fields.rest.substr(0, end);
        fields.rest.remove_prefix(std::min(end + 1, fields.rest.size()));
    }
    return fields;
}

// Profile reads trim blanks (space, tab, vertical tab) at a value's ends and
// take off one pair of quotes around it.
inline bool BlankAtAnEnd(std::string_view s) {
    constexpr std::string_view kBlanks = " \t\v";
    return !s.empty() &&
           (kBlanks.find(s.front()) != kBlanks.npos || kBlanks.find(s.back()) != kBlanks.npos);
}
inline bool Quoted(std::string_view s) {
    return s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front();
}

// The debugger channel and standard output go nowhere (cheap to call for each input).
inline void SilenceOutput() {
    win::SetDebugOutputSink([](std::string_view) {});
    win::SetStandardOutputSink([](std::string_view) {});
}

} // namespace fuzz
