// The platform's common dialogs behind one small interface: message boxes,
// file open and save, the colour picker. The real implementation shows Qt
// dialogs (QtCommonDialogs); tests install ScriptedCommonDialogs (in
// testsupport/), which answers from a script and records what was asked,
// without any modal loop.
#pragma once

#include "platform/ui/Colorref.h"
#include "platform/ui/WinConstants.h"

#include <memory>
#include <string>

namespace win {

class CWnd;

struct MessageBoxRequest {
    CWnd* owner = nullptr; // nullptr: the main window
    std::string text;
    std::string caption; // "" shows the application's name
    UINT type = MB_OK;   // buttons and icon
};

struct FileDialogRequest {
    CWnd* owner = nullptr;
    bool save = false; // open requires the file to exist, save its folder
    std::string title;
    std::string initialFolder;
    std::string defaultExtension; // without the dot
    std::string fileName;
    // "Text (*.txt)|*.txt|All Files (*.*)|*.*||"
    std::string filter;
};

struct ColorRequest {
    CWnd* owner = nullptr;
    COLORREF initial = RGB(0, 0, 0);
};

class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;
    // Returns the id of the button pressed (IDOK, IDCANCEL, IDYES, IDNO, ...).
    virtual int MessageBox(const MessageBoxRequest& request) = 0;
    // True and the full path when the operator chose a file.
    virtual bool ChooseFile(const FileDialogRequest& request, std::string& path) = 0;
    // True and the colour when the operator chose one.
    virtual bool ChooseColor(const ColorRequest& request, COLORREF& colour) = 0;

    // The implementation in use (the Qt one until another is installed).
    static CommonDialogs& Current();
    // Installs `dialogs` (nullptr restores the Qt one); returns the previous.
    static std::unique_ptr<CommonDialogs> Install(std::unique_ptr<CommonDialogs> dialogs);
};

// A message box of the current common dialogs (owner nullptr: the main window).
int ShowMessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type);

} // namespace win
