// CTextEntryDlg: a small modal window built in code with a prompt, a message
// line, one edit field and "OK" / "Cancel".
#pragma once

#include "platform/ui/CButton.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CEdit.h"
#include "platform/ui/CStatic.h"

#include <string>

class CTextEntryDlg : public win::CDialogEx {
public:
    static constexpr int kEditId = 11;

    CTextEntryDlg();

    // Builds the window over `parent` (the main window when nullptr), runs it
    // modally and returns 1 (OK) or 2 (Cancel); 0 when it cannot be made.
    int ShowEntry(win::CWnd* parent, const std::string& title, const std::string& prompt,
                  int maxLength, const std::string& message, const std::string& initialText);
    const std::string& GetEnteredText() const { return enteredText_; }

    // Window size in pixels and the number of text lines, set before showing.
    int width = 350;
    int height = 125;
    int lines = 1;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    win::CStatic prompt_;
    win::CStatic message_;
    win::CEdit edit_;
    win::CButton ok_;
    win::CButton cancel_;
    std::string title_;
    std::string promptText_;
    std::string messageText_;
    std::string initialText_;
    std::string enteredText_;
    int maxLength_ = 0;
};
