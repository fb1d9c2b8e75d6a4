// The common dialogs shown with Qt, each modal to its owner's window only.
#pragma once

#include "platform/ui/CommonDialogs.h"

namespace win {

class QtCommonDialogs : public CommonDialogs {
public:
    // A save dialog refuses a path whose folder does not exist, as Windows'
    // dialog does, saying so in a box over it (the dialog's title as
    // caption) and staying open.
    static constexpr const char* kNoFolderText = "The folder %1 does not exist.";

    int MessageBox(const MessageBoxRequest& request) override;
    bool ChooseFile(const FileDialogRequest& request, std::string& path) override;
    bool ChooseColor(const ColorRequest& request, COLORREF& colour) override;
};

// "Text (*.txt)|*.txt|All Files (*.*)|*.*||" as a Qt name filter list.
std::string QtFileFilter(const std::string& filter);

} // namespace win
