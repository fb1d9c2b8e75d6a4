// One profile file in memory, with the reading and editing rules of the
// Windows profile calls (platform/Profile.h lists them).
//
// A file that starts with the UTF-16LE byte-order mark (FF FE) is read and
// edited as UTF-16, as Windows does with a file an editor saved as "Unicode",
// and stays UTF-16 when written back; names and values cross the interface
// as 8-bit Windows-1252 texts. Any other file is taken byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace win {

class ProfileDocument {
public:
    // Reads the file; a missing file is an empty document that does not exist
    // yet. False, leaving the document unusable, when the file exists but
    // cannot be read or is not a regular file.
    bool Load(const char* path);
    bool Usable() const { return usable_; }

    // The value of `key` in `section` (spaces around the names ignored; blanks
    // around the value and one pair of matching quotes removed). False when
    // the section or the key is missing.
    bool Lookup(std::string_view section, std::string_view key, std::string& value) const;
    // Whether the file has a header of `section` (spaces around it ignored).
    bool HasSection(std::string_view section) const;

    // The edit of WritePrivateProfileStringA: sets the key, or deletes the key
    // (null value) or the section's header and keys (null key). False when
    // nothing had to change (deleting what is not there).
    bool Edit(std::string_view section, const char* key, const char* value);

    // The file's bytes: in UTF-16LE with its mark when the file was read so.
    std::string Bytes() const;

private:
    // The file's content: UTF-16 after the mark, else 8-bit.
    void TakeBytes(std::string bytes);

    bool usable_ = true;
    bool exists_ = false;
    bool unicode_ = false;
    std::string ansi_;
    std::u16string wide_;
};

} // namespace win
