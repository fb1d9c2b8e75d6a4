#include "fuzz/FuzzSupport.h"

#include "platform/DebugOutput.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzz {

const std::string& ScratchFolder() {
    static const struct Scratch {
        std::string path = [] {
            std::string p = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
            p += "/tm80-fuzz-XXXXXX";
            Check(mkdtemp(p.data()) != nullptr);
            return p;
        }();
        ~Scratch() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } scratch;
    return scratch.path;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SilenceOutput() {
    win::SetDebugOutputSink([](std::string_view) {});
    win::SetStandardOutputSink([](std::string_view) {});
}

} // namespace fuzz
