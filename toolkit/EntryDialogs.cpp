#include "toolkit/EntryDialogs.h"

#include "platform/ui/CommonDialogs.h"
#include "toolkit/CTextEntryDlg.h"
#include "toolkit/ComboEntryDlg.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

constexpr int kMaxNoteLength = 16;
constexpr int kMaxListItems = 512;

void ExpandFirst(std::string& text, char lower, char upper, const char* zeros) {
    std::size_t at = text.find(lower);
    if (at == std::string::npos) {
        at = text.find(upper);
    }
    if (at != std::string::npos) {
        text.replace(at, 1, zeros);
    }
}

bool ChooseFile(bool save, std::string& path, const std::string& initialFolder,
                const std::string& defaultExtension, const std::string& title,
                const std::string& fileName, const std::string& filter) {
    win::FileDialogRequest request;
    request.save = save;
    request.title = title;
    request.initialFolder = initialFolder;
    request.defaultExtension = defaultExtension;
    request.fileName = fileName;
    request.filter = filter;
    std::string chosen;
    if (!win::CommonDialogs::Current().ChooseFile(request, chosen) || chosen.empty()) {
        return false;
    }
    path = chosen;
    return true;
}

} // namespace

std::string ExpandUnitLetters(const std::string& text) {
    std::string out = text;
    ExpandFirst(out, 'g', 'G', "000000000");
    ExpandFirst(out, 'm', 'M', "000000");
    ExpandFirst(out, 'k', 'K', "000");
    return out;
}

bool ParseEntryNumber(const std::string& text, int& number) {
    const int base = text.rfind("0x", 0) == 0 ? 16 : 10;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(begin, &end, base);
    if (end != begin + text.size()) {
        return false;
    }
    // A 32-bit long: values beyond it saturate.
    number = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
    return true;
}

bool EnterNumber(int& value, int minimum, int maximum, const std::string& prompt,
                 const std::string& lengthTemplate) {
    const std::string title =
        "Input Range " + std::to_string(minimum) + " to " + std::to_string(maximum);
    const int low = std::min(minimum, maximum);
    const int high = std::max(minimum, maximum);
    std::string initial = std::to_string(value);
    std::string message;
    for (;;) {
        CTextEntryDlg dialog;
        if (dialog.ShowEntry(nullptr, title, prompt, static_cast<int>(lengthTemplate.size()),
                             message, initial) != 1) {
            return false; // Cancel, or no window at all
        }
        const std::string expanded = ExpandUnitLetters(dialog.GetEnteredText());
        int number = 0;
        if (!ParseEntryNumber(expanded, number)) {
            message = "Please Enter a Valid Integer";
        } else if (number >= low && number <= high) {
            value = number;
            return true;
        } else {
            message = "Entry is Out of Range";
        }
        initial = expanded;
    }
}

bool EnterText(const std::string& title, const std::string& prompt, const std::string& initialText,
               std::string& result, int windowWidth, int lineCount, win::CWnd* parent) {
    CTextEntryDlg dialog;
    dialog.width = windowWidth;
    dialog.lines = lineCount;
    if (dialog.ShowEntry(parent, title, prompt, kMaxNoteLength, "", initialText) != 1) {
        return false;
    }
    result = dialog.GetEnteredText();
    return true;
}

bool ChooseFromList(int current, const std::vector<std::string>& items, const std::string& title,
                    const std::string& prompt, int count, int& selected, win::CWnd* parent) {
    ComboEntryDlg dialog;
    const int n = std::min({count, kMaxListItems, static_cast<int>(items.size())});
    if (dialog.ShowChoice(parent, title, prompt, current, items, n) != 1) {
        return false;
    }
    if (dialog.GetSelectedIndex() < 0) {
        return false; // OK with nothing chosen gives no index
    }
    selected = dialog.GetSelectedIndex();
    return true;
}

bool ChooseFileToOpen(std::string& path, const std::string& initialFolder,
                      const std::string& defaultExtension, const std::string& title,
                      const std::string& fileName, const std::string& filter) {
    return ChooseFile(false, path, initialFolder, defaultExtension, title, fileName, filter);
}

bool ChooseFileToSave(std::string& path, const std::string& initialFolder,
                      const std::string& defaultExtension, const std::string& title,
                      const std::string& fileName, const std::string& filter) {
    return ChooseFile(true, path, initialFolder, defaultExtension, title, fileName, filter);
}
