#include "testsupport/ScriptedCommonDialogs.h"

namespace win {

void ScriptedCommonDialogs::Record(const Shown& shown) {
    shown_.push_back(shown);
    if (hook_) {
        hook_(shown);
    }
}

int ScriptedCommonDialogs::MessageBox(const MessageBoxRequest& request) {
    Shown shown;
    shown.kind = Kind::MessageBox;
    shown.message = request;
    Record(shown);
    if (!messageAnswers_.empty()) {
        const int answer = messageAnswers_.front();
        messageAnswers_.pop_front();
        return answer;
    }
    switch (request.type & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

bool ScriptedCommonDialogs::ChooseFile(const FileDialogRequest& request, std::string& path) {
    Shown shown;
    shown.kind = request.save ? Kind::SaveFile : Kind::OpenFile;
    shown.file = request;
    Record(shown);
    if (fileAnswers_.empty()) {
        return false;
    }
    const std::optional<std::string> answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    if (!answer) {
        return false;
    }
    path = *answer;
    return true;
}

bool ScriptedCommonDialogs::ChooseColor(const ColorRequest& request, COLORREF& colour) {
    Shown shown;
    shown.kind = Kind::Color;
    shown.color = request;
    Record(shown);
    if (colorAnswers_.empty()) {
        return false;
    }
    const std::optional<COLORREF> answer = colorAnswers_.front();
    colorAnswers_.pop_front();
    if (!answer) {
        return false;
    }
    colour = *answer;
    return true;
}

} // namespace win
