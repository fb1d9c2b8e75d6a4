#include "infra/UnitFolderForSave.h"

#include "infra/Environment.h"
#include "infra/ProfileStore.h"
#include "platform/Files.h"

#include <filesystem>
#include <system_error>

UnitFolderForSave::UnitFolderForSave(const std::string& serial) : path_(UnitSetupFolder(serial)) {
    if (serial.empty()) {
        return; // no folder of its own
    }
    // One level, as the setup files folder is made at start; a failure is
    // left to the dialog, which then starts elsewhere.
    made_ = !FolderExists(path_) && win::CreateDirectoryA(path_.c_str(), nullptr) != 0;
}

UnitFolderForSave::~UnitFolderForSave() {
    if (made_) {
        std::error_code ignored; // not empty: a file was written there
        std::filesystem::remove(path_, ignored);
    }
}
