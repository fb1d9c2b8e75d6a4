#include "fuzz/FuzzSupport.h"

#include "platform/DebugOutput.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fuzz {

namespace {

class Scratch {
public:
    Scratch() {
        const bool inMemory = std::filesystem::is_directory("/dev/shm");
        std::string pattern = std::string(inMemory ? "/dev/shm" : "/tmp") + "/tm80-fuzz-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr) {
            std::abort();
        }
        path_ = buffer.data();
        owner_ = getpid();
    }
    ~Scratch() {
        // Forked children (none today) must not remove their parent's folder.
        if (getpid() == owner_) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    pid_t owner_ = 0;
};

} // namespace

const std::string& ScratchFolder() {
    static const Scratch scratch;
    return scratch.Path();
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Fields SplitFields(const std::uint8_t* data, std::size_t size, std::size_t count) {
    Fields fields;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (fields.texts.size() < count) {
        const std::size_t end = input.find('\0');
        if (end == std::string_view::npos) {
            fields.texts.emplace_back(input);
            input = {};
            continue;
        }
        fields.texts.emplace_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    fields.rest = input;
    return fields;
}

void SilenceOutput() {
    win::SetDebugOutputSink([](std::string_view) {});
    win::SetStandardOutputSink([](std::string_view) {});
}

} // namespace fuzz
