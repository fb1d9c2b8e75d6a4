// The folder a save dialog for one unit starts in: the unit's own folder
// below the setup files folder (UnitSetupFolder). A folder is left behind
// only where a file was written: when the unit's folder is missing it is made
// for the dialog and removed again at the end of this object's life if it is
// still empty (the dialog was cancelled, or the file went elsewhere or could
// not be written).
//
// Without a serial (the unit's identity is not known) there is no unit
// folder: the dialog starts in the setup files folder, nothing is made, and
// the file goes only where the operator points.
//
//   UnitFolderForSave folder(unit.KnownSerialText());
//   if (ChooseFileToSave(path, folder.Path(), ...)) { write path }
#pragma once

#include <string>

class UnitFolderForSave {
public:
    explicit UnitFolderForSave(const std::string& serial);
    ~UnitFolderForSave();
    UnitFolderForSave(const UnitFolderForSave&) = delete;
    UnitFolderForSave& operator=(const UnitFolderForSave&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool made_ = false;
};
