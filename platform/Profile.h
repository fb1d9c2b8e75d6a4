// The Windows profile-file calls: sections in square brackets, key=value lines.
//
// These files are the users' data and travel between machines, so reading and
// writing follow what Windows does with them:
//  - section and key names match case-insensitively; spaces around the names
//    passed in are ignored; in the file, blanks around names, after "=" and at
//    the end of values are ignored, and "[ sec ] junk" is section "sec";
//  - a value in one matching pair of quotes (' or ") loses that pair only;
//  - a line starting with ";" is a comment; lines without "=" and keys before
//    the first section are never found; the first of duplicate keys and of
//    duplicate sections wins; CRLF, LF and CR line ends read alike;
//  - a write changes only the bytes it has to: a new file is
//    "[Sec]\r\nkey=value\r\n", a new section goes at the end, a new key after
//    the last key of its section, an existing value is replaced in place.
//  - a file that starts with the UTF-16LE byte-order mark is read as UTF-16
//    and written back so; names and values are 8-bit (Windows-1252) texts.
// Beyond Windows, every write replaces the file atomically (a temporary file
// beside it, then a rename), so a crash or a full disk never leaves half a file;
// only where the folder may not be written but the file may, the file is
// rewritten in place as Windows does. Several writes to one file go in as one
// replacement through a ProfileWriteBatch (platform/ProfileWriteBatch.h).
// Nothing is cached: every call reads the file again.
#pragma once

#include "platform/WinTypes.h"

namespace win {

// Copies the value (or, when the file, section or key is missing, the default
// without its trailing spaces) into `buffer`, at most size - 1 characters, and
// terminates it. Returns the number of characters copied. A null section or key
// (the enumeration forms of Windows) gives an empty result.
DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* deflt,
                               char* buffer, DWORD size, const char* file);

// Sets `key` of `section` to `value`, written verbatim. A null value deletes the
// key; a null key deletes the section's header and keys (its comments stay).
// Returns nonzero on success; fails, creating nothing, when the file's folder
// does not exist or the file cannot be replaced.
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* file);

// Beyond Windows: whether `file` has a header of `section`, keys or none
// (Windows answers this only by listing every section name).
bool ProfileSectionExists(const char* section, const char* file);

} // namespace win
