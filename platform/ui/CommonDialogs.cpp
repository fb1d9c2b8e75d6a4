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

} // namespace win
