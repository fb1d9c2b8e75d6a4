#include "platform/ui/CommonDialogs.h"

#include "platform/ui/QtCommonDialogs.h"

namespace win {

namespace {
std::unique_ptr<CommonDialogs>& Slot() {
    static std::unique_ptr<CommonDialogs> current;
    return current;
}
} // namespace

CommonDialogs& CommonDialogs::Current() {
    if (!Slot()) {
        Slot() = std::make_unique<QtCommonDialogs>();
    }
    return *Slot();
}

std::unique_ptr<CommonDialogs> CommonDialogs::Install(std::unique_ptr<CommonDialogs> dialogs) {
    std::unique_ptr<CommonDialogs> previous = std::move(Slot());
    Slot() = std::move(dialogs);
    return previous;
}

int ShowMessageBox(CWnd* owner, const std::string& text, const std::string& caption, UINT type) {
    MessageBoxRequest request;
    request.owner = owner;
    request.text = text;
    request.caption = caption;
    request.type = type;
    return CommonDialogs::Current().MessageBox(request);
}

} // namespace win
