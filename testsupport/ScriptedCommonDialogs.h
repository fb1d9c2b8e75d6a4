// Common dialogs for tests: every request is recorded and answered at once
// from the script (first in, first out per kind), so nothing runs modally.
// Without a scripted answer a message box answers IDOK for MB_OK boxes and
// IDCANCEL (IDNO for yes/no boxes) otherwise; file and colour choices are
// cancelled.
#pragma once

#include "platform/ui/CommonDialogs.h"

#include <deque>
#include <optional>
#include <vector>

namespace win {

class ScriptedCommonDialogs : public CommonDialogs {
public:
    enum class Kind { MessageBox, OpenFile, SaveFile, Color };
    struct Shown {
        Kind kind = Kind::MessageBox;
        MessageBoxRequest message;
        FileDialogRequest file;
        ColorRequest color;
    };

    void AnswerMessageBox(int answer) { messageAnswers_.push_back(answer); }
    void AnswerFile(const std::string& path) { fileAnswers_.emplace_back(path); }
    void CancelFile() { fileAnswers_.emplace_back(std::nullopt); }
    void AnswerColor(COLORREF colour) { colorAnswers_.emplace_back(colour); }

    const std::vector<Shown>& History() const { return shown_; }
    void ClearHistory() { shown_.clear(); }

    int MessageBox(const MessageBoxRequest& request) override;
    bool ChooseFile(const FileDialogRequest& request, std::string& path) override;
    bool ChooseColor(const ColorRequest& request, COLORREF& colour) override;

private:
    std::deque<int> messageAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::deque<std::optional<COLORREF>> colorAnswers_;
    std::vector<Shown> shown_;
};

} // namespace win
