#include "ProfileStore.h"

#include "platform/Files.h"
#include "platform/Profile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {

// Asks the platform with the marker as default; false when the marker came back.
bool ReadRaw(const std::string& file, const std::string& section, const std::string& key,
             std::array<char, kProfileReadBufferSize>& buffer) {
    win::GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissingValueMarker, buffer.data(),
                                  static_cast<win::DWORD>(buffer.size()), file.c_str());
    return std::strcmp(buffer.data(), kMissingValueMarker) != 0;
}

} // namespace

bool ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                    std::int32_t& value) {
    std::array<char, kProfileReadBufferSize> buffer{};
    if (!ReadRaw(file, section, key, buffer)) {
        return false;
    }
    char* end = nullptr;
    const long long parsed = std::strtoll(buffer.data(), &end, 10);
    if (*end != '\0') {
        return false;
    }
    if (parsed > std::numeric_limits<std::int32_t>::max()) {
        value = std::numeric_limits<std::int32_t>::max();
    } else if (parsed < std::numeric_limits<std::int32_t>::min()) {
        value = std::numeric_limits<std::int32_t>::min();
    } else {
        value = static_cast<std::int32_t>(parsed);
    }
    return true;
}

bool ReadProfileText(const std::string& file, const std::string& section, const std::string& key,
                     std::string& text) {
    std::array<char, kProfileReadBufferSize> buffer{};
    if (!ReadRaw(file, section, key, buffer)) {
        return false;
    }
    text = buffer.data();
    return true;
}

bool WriteProfileInt(const std::string& file, const std::string& section, const std::string& key,
                     std::int32_t value) {
    const std::string text = std::to_string(value);
    return win::WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(),
                                           file.c_str()) != 0;
}

bool ProfileSectionExists(const std::string& file, const std::string& section) {
    return win::ProfileSectionExists(section.c_str(), file.c_str());
}

bool FileExists(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) {
        return false;
    }
    // Linux opens a folder for reading too; Windows does not.
    struct stat st {};
    const bool isFile = fstat(fileno(f), &st) == 0 && !S_ISDIR(st.st_mode);
    std::fclose(f);
    return isFile;
}

bool FolderExists(const std::string& path) {
    const win::DWORD attributes = win::GetFileAttributesA(path.c_str());
    return attributes != win::INVALID_FILE_ATTRIBUTES &&
           (attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ChangeToFolder(const char* path) {
    if (path == nullptr) {
        return;
    }
    win::SetCurrentDirectoryA(path);
}

std::string FileTitleOf(const std::string& path) {
    return win::SplitPath(path.c_str()).fname;
}
