// The Windows file and folder calls of the start-up and the profile helpers.
// Linux has no drive letters; paths use "/".
#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace win {

inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

struct SECURITY_ATTRIBUTES;

// Copies the current folder into `buffer` and returns its length; when the
// buffer is too small it is left alone and the size needed (with the
// terminator) is returned; 0 on failure.
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
BOOL SetCurrentDirectoryA(const char* path);

// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_NORMAL (with READONLY
// when nobody may write it) for anything else, INVALID_FILE_ATTRIBUTES when the
// path does not exist.
DWORD GetFileAttributesA(const char* path);

// Creates one folder level with the default permissions; fails when it exists
// or its parent does not.
BOOL CreateDirectoryA(const char* path, SECURITY_ATTRIBUTES* security);

// The parts of a path as the runtime's path splitting gives them: the folder
// with its trailing "/", the name without extension, the extension with its
// dot ("/a/b/KD50.Log" gives "/a/b/", "KD50", ".Log").
struct PathParts {
    std::string dir;
    std::string fname;
    std::string ext;
};
PathParts SplitPath(const char* path);

} // namespace win
