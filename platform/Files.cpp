#include "Files.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace win {

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
    std::string cwd(256, '\0');
    while (getcwd(cwd.data(), cwd.size()) == nullptr) {
        if (errno != ERANGE || cwd.size() > (1u << 20)) {
            return 0;
        }
        cwd.resize(cwd.size() * 2);
    }
    cwd.resize(std::strlen(cwd.c_str()));
    if (buffer == nullptr || size < cwd.size() + 1) {
        return static_cast<DWORD>(cwd.size() + 1);
    }
    std::memcpy(buffer, cwd.c_str(), cwd.size() + 1);
    return static_cast<DWORD>(cwd.size());
}

BOOL SetCurrentDirectoryA(const char* path) {
    return path != nullptr && chdir(path) == 0;
}

DWORD GetFileAttributesA(const char* path) {
    struct stat st {};
    if (path == nullptr || stat(path, &st) != 0) {
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode)) {
        return FILE_ATTRIBUTE_DIRECTORY;
    }
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes;
}

BOOL CreateDirectoryA(const char* path, SECURITY_ATTRIBUTES*) {
    return path != nullptr && mkdir(path, 0777) == 0;
}

PathParts SplitPath(const char* path) {
    PathParts parts;
    if (path == nullptr) {
        return parts;
    }
    const std::string p(path);
    const std::size_t slash = p.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    parts.dir = p.substr(0, nameStart);
    const std::string name = p.substr(nameStart);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        parts.fname = name;
    } else {
        parts.fname = name.substr(0, dot);
        parts.ext = name.substr(dot);
    }
    return parts;
}

} // namespace win
