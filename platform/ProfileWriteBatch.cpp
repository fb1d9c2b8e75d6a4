#include "platform/ProfileWriteBatch.h"

#include "platform/FileContent.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace win {

namespace {

// The batches open on this thread; a handful at most.
thread_local std::vector<ProfileWriteBatch*> openBatches;

} // namespace

ProfileWriteBatch::ProfileWriteBatch(std::string file) : file_(std::move(file)) {
    document_.Load(file_.c_str());
    if (OpenFor(file_.c_str()) == nullptr) {
        openBatches.push_back(this);
        registered_ = true;
    }
}

ProfileWriteBatch::~ProfileWriteBatch() {
    if (registered_) {
        openBatches.erase(std::find(openBatches.begin(), openBatches.end(), this));
    }
}

ProfileWriteBatch* ProfileWriteBatch::OpenFor(const char* file) {
    for (ProfileWriteBatch* batch : openBatches) {
        if (batch->file_ == file) {
            return batch;
        }
    }
    return nullptr;
}

BOOL ProfileWriteBatch::Write(const char* section, const char* key, const char* value) {
    if (section == nullptr || !document_.Usable()) {
        return 0;
    }
    if (document_.Edit(section, key, value)) {
        changed_ = true;
    }
    return 1;
}

BOOL ProfileWriteBatch::Commit() {
    if (!document_.Usable()) {
        return 0;
    }
    if (!changed_) {
        return 1;
    }
    if (!ReplaceFileContent(file_.c_str(), document_.Bytes())) {
        return 0;
    }
    changed_ = false;
    return 1;
}

} // namespace win
