// Whole-file reads and replacements for the profile calls.
#pragma once

#include <string>

namespace win {

enum class FileRead { Read, Missing, Failed };

// The whole content of a regular file; Missing when it does not exist, Failed
// when it cannot be read or is not a regular file.
FileRead ReadWholeFile(const char* path, std::string& content);

// Replaces the file (the file a symbolic link points to, keeping the link)
// with `content`: a temporary file beside it, written and flushed, then
// renamed over it, so readers and a crash see the old file or the new one,
// never a part. Temporary files that killed writers left beside the file are
// removed first. A file that may not be written is not replaced (as Windows
// refuses a read-only file). Where the folder does not let a temporary file
// be made but the file itself may be written, the file is rewritten in place,
// as Windows does it. False when the file could not be written.
bool ReplaceFileContent(const char* path, const std::string& content);

} // namespace win
