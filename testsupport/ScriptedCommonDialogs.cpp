#include "testsupport/ScriptedCommonDialogs.h"

namespace win {

namespace {

// The next scripted answer into `out`; false when it is a cancel or there is none.
template <class T> bool Take(std::deque<std::optional<T>>& answers, T& out) {
    if (answers.empty()) {
        return false;
    }
    const std::optional<T> answer = answers.front();
    answers.pop_front();
    out = answer.value_or(out);
    return answer.has_value();
}

} // namespace

int ScriptedCommonDialogs::MessageBox(const MessageBoxRequest& request) {
    shown_.push_back({Kind::MessageBox, request, {}, {}});
    if (!messageAnswers_.empty()) {
        const int answer = messageAnswers_.front();
        messageAnswers_.pop_front();
        return answer;
    }
    const auto type = request.type & MB_TYPEMASK;
    return type == MB_OK ? IDOK : type == MB_YESNO ? IDNO : IDCANCEL;
}

bool ScriptedCommonDialogs::ChooseFile(const FileDialogRequest& request, std::string& path) {
    shown_.push_back({request.save ? Kind::SaveFile : Kind::OpenFile, {}, request, {}});
    return Take(fileAnswers_, path);
}

bool ScriptedCommonDialogs::ChooseColor(const ColorRequest& request, COLORREF& colour) {
    shown_.push_back({Kind::Color, {}, {}, request});
    return Take(colorAnswers_, colour);
}

} // namespace win
