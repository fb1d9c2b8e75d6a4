// Several profile writes to one file, put in place by one atomic replacement.
//
// A setup save writes about a hundred keys; written one by one, each write
// replaces the whole file, and a crash half-way leaves a file with half the
// new keys. While a batch is open for a file, every write to that file on
// this thread (WritePrivateProfileStringA, and so WriteProfileInt of the
// profile store) goes into the batch instead, and Commit takes the file from
// the old content to the new in one step. The bytes are exactly those the
// same writes would have left one by one (same order, same line ends, other
// sections and comments kept, UTF-16 files kept UTF-16):
//
//     win::ProfileWriteBatch batch(file);      // reads the file once
//     WriteDeviceSection(file);                // WriteProfileInt(file, ...) as ever
//     for (page : pages) page->SaveSettings(file);
//     if (!batch.Commit()) { /* the file is as it was */ }
//
// Nothing reaches the file before Commit; writes after a Commit wait for the
// next one, and what is not committed when the batch goes is dropped. Reads
// of the file during the batch see the batch's content. The file is matched
// by its path text exactly as the batch was given it. A second batch for a
// file that has one open only collects its own Write calls.
#pragma once

#include "platform/ProfileDocument.h"
#include "platform/WinTypes.h"

#include <string>

namespace win {

class ProfileWriteBatch {
public:
    explicit ProfileWriteBatch(std::string file);
    ~ProfileWriteBatch();
    ProfileWriteBatch(const ProfileWriteBatch&) = delete;
    ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;

    // One write into the batch, with the arguments and result of
    // WritePrivateProfileStringA; fails when the file could not be read.
    BOOL Write(const char* section, const char* key, const char* value);
    // Replaces the file with everything written so far (nothing is written
    // when no write changed anything). Nonzero on success; on failure the
    // file is as it was and the writes stay in the batch.
    BOOL Commit();

    const std::string& File() const { return file_; }
    const ProfileDocument& Document() const { return document_; }

    // The batch open for `file` on this thread, or nullptr.
    static ProfileWriteBatch* OpenFor(const char* file);

private:
    std::string file_;
    ProfileDocument document_;
    bool changed_ = false;
    bool registered_ = false;
};

} // namespace win
