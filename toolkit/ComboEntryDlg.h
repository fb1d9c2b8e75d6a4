// ComboEntryDlg: a small modal window built in code with a prompt, a
// drop-down list and "OK" / "Cancel". Choosing an item in the opened list
// takes it at once.
#pragma once

#include "platform/ui/CButton.h"
#include "platform/ui/CComboBox.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CStatic.h"

#include <string>
#include <vector>

class ComboEntryDlg : public win::CDialogEx {
public:
    static constexpr int kListId = 11;

    ComboEntryDlg();

    // Builds the window over `parent` (the main window when nullptr) with the
    // first `count` items and `current` selected, runs it modally and returns
    // 1 (OK or a choice from the list) or 2 (Cancel); 0 when it cannot be made.
    int ShowChoice(win::CWnd* parent, const std::string& title, const std::string& prompt,
                   int current, const std::vector<std::string>& items, int count);
    int GetSelectedIndex() const { return selected_; }
    const std::string& GetEnteredText() const { return enteredText_; }

    int width = 350;
    int height = 125;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code) override;

private:
    void TakeSelection();
    win::CStatic prompt_;
    win::CComboBox list_;
    win::CButton ok_;
    win::CButton cancel_;
    std::string title_;
    std::string promptText_;
    std::vector<std::string> items_;
    int current_ = -1;
    int selected_ = -1;
    std::string enteredText_;
};
