// What the fuzz harnesses share: a scratch folder for the files they write,
// the input cut into fields, and quiet trace channels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// This process's folder for the files a harness writes: in memory under
// /dev/shm when there is one (profile writes flush every file), removed at exit.
const std::string& ScratchFolder();

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);

// The input as up to `count` texts, each ended by a 0 byte (missing ones are
// empty), and the rest.
struct Fields {
    std::vector<std::string> texts;
    std::string_view rest;
};
Fields SplitFields(const std::uint8_t* data, std::size_t size, std::size_t count);

// The debugger channel and standard output go nowhere.
void SilenceOutput();

} // namespace fuzz
