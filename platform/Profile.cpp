#include "Profile.h"

#include "platform/FileContent.h"
#include "platform/ProfileDocument.h"
#include "platform/ProfileWriteBatch.h"

#include <cstring>
#include <string>

namespace win {

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* deflt,
                               char* buffer, DWORD size, const char* file) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    if (section == nullptr || key == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    std::string result;
    bool found = false;
    if (file != nullptr) {
        if (const ProfileWriteBatch* batch = ProfileWriteBatch::OpenFor(file)) {
            found = batch->Document().Lookup(section, key, result);
        } else {
            ProfileDocument document;
            found = document.Load(file) && document.Lookup(section, key, result);
        }
    }
    if (!found) {
        result = deflt == nullptr ? "" : deflt;
        while (!result.empty() && result.back() == ' ') {
            result.pop_back();
        }
    }
    const std::size_t count = result.size() < size ? result.size() : size - 1;
    std::memcpy(buffer, result.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

bool ProfileSectionExists(const char* section, const char* file) {
    if (section == nullptr || file == nullptr) {
        return false;
    }
    if (const ProfileWriteBatch* batch = ProfileWriteBatch::OpenFor(file)) {
        return batch->Document().HasSection(section);
    }
    ProfileDocument document;
    return document.Load(file) && document.HasSection(section);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* file) {
    if (section == nullptr || file == nullptr) {
        return 0;
    }
    if (ProfileWriteBatch* batch = ProfileWriteBatch::OpenFor(file)) {
        return batch->Write(section, key, value);
    }
    ProfileDocument document;
    if (!document.Load(file)) {
        return 0;
    }
    // Deleting what is not there changes nothing and needs no write.
    return !document.Edit(section, key, value) || ReplaceFileContent(file, document.Bytes()) ? 1
                                                                                             : 0;
}

} // namespace win
