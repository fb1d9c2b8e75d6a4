#include "platform/ProfileWriteBatch.h"

#include "platform/FileContent.h"

#include <utility>

namespace win {

ProfileWriteBatch::ProfileWriteBatch(std::string file) : file_(std::move(file)) {
    document_.Load(file_.c_str());
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
