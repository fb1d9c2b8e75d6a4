// Several profile writes to one file, put in place by one atomic replacement.
//
// A setup save writes about a hundred keys; written one by one, each write
// replaces the whole file, and a crash half-way leaves a file with half the
// new keys. Collected in a batch, the file goes from the old content to the
// new in one step, and its bytes are exactly those the same sequence of
// WritePrivateProfileStringA calls would leave (same order, same line ends,
// other sections and comments kept, UTF-16 files kept UTF-16):
//
//     win::ProfileWriteBatch batch(path);         // reads the file once
//     batch.Write("DEVICE", "SPLIT", "1");        // as WritePrivateProfileStringA
//     WriteProfileInt(batch, "DEVICE", "0_BAND_SELECTION", 3);   // infra/ProfileStore.h
//     ...
//     if (!batch.Commit()) { /* the file is as it was */ }
//
// Nothing reaches the file before Commit; a batch destroyed without Commit
// writes nothing. Reads of the file during the batch see the old content.
// Use one batch per file and do not write the file by other means until the
// batch is committed, or those writes are lost.
#pragma once

#include "platform/ProfileDocument.h"
#include "platform/WinTypes.h"

#include <string>

namespace win {

class ProfileWriteBatch {
public:
    explicit ProfileWriteBatch(std::string file);
    ProfileWriteBatch(const ProfileWriteBatch&) = delete;
    ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;

    // Takes the write into the batch, with the arguments and result of
    // WritePrivateProfileStringA; fails when the file could not be read.
    BOOL Write(const char* section, const char* key, const char* value);
    // Replaces the file with everything written so far (nothing is written
    // when no write changed anything). Nonzero on success; on failure the
    // file is as it was and the writes stay in the batch.
    BOOL Commit();

    const std::string& File() const { return file_; }

private:
    std::string file_;
    ProfileDocument document_;
    bool changed_ = false;
};

} // namespace win
