// Typed access to profile files (sections of key=value lines) and the small
// file and folder checks that the loaders make before touching a file.
//
// Every read names file, section and key; the caller puts its default in the
// output first, and the output stays untouched when the file, the section or
// the key is missing. Nothing is cached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Passed as the default of every read: getting it back means "not there". A
// value stored as exactly this text therefore reads as missing.
inline constexpr const char* kMissingValueMarker = "BOGUS SECTION or KEY";
// Values longer than 1,023 characters come back cut to that length.
inline constexpr std::size_t kProfileReadBufferSize = 1024;

// True and `value` set when the key exists and its whole text is a base-10
// integer (strtol rules; out-of-range values become the nearest 32-bit bound;
// an empty value is 0). False with `value` untouched otherwise.
bool ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                    std::int32_t& value);

// True and `text` set to the stored value when the key exists.
bool ReadProfileText(const std::string& file, const std::string& section, const std::string& key,
                     std::string& text);

// Writes the value as plain decimal text, creating file, section or key as
// needed. True when the write succeeded. While a win::ProfileWriteBatch is
// open for the file, the write goes into the batch, and reaches the file in
// one replacement with all the others at its Commit
// (platform/ProfileWriteBatch.h).
bool WriteProfileInt(const std::string& file, const std::string& section, const std::string& key,
                     std::int32_t value);

// True when the file has a header of `section`, with keys or without.
bool ProfileSectionExists(const std::string& file, const std::string& section);

// True when `path` is a file that can be opened for reading (not a folder).
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Makes `path` the current folder; a null path does nothing, failures are
// ignored. Windows first switched drives for "D:\x"; Linux has no drives.
void ChangeToFolder(const char* path);
inline void ChangeToFolder(const std::string& path) {
    ChangeToFolder(path.c_str());
}
// The file name of a path without folder and extension: ".../ErrorLog.Log"
// gives "ErrorLog".
std::string FileTitleOf(const std::string& path);
