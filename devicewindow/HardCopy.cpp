#include "devicewindow/HardCopy.h"

#include "device/UnitSlot.h"
#include "infra/UnitFolderForSave.h"
#include "platform/ui/CWnd.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/WindowPicture.h"
#include "toolkit/EntryDialogs.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace win;

std::string HardCopy::DefaultName(const std::string& serial, const SYSTEMTIME& time,
                                  const char* extension) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%04d-%02d-%02d_%02d%02d.%s", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, extension);
    return (serial.empty() ? std::string(kNoSerialName) : serial) + stamp;
}

void HardCopy::Save(const CWnd& page, const UnitSlot& slot, const std::string& serial,
                    const std::string& dateLine) {
    const UnitFolderForSave folder(serial);
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::string path;
    if (!ChooseFileToSave(path, folder.Path(), "pdf", kTitle, DefaultName(serial, now), kFilter)) {
        return;
    }

    const std::string extension = LowerExtension(path);
    const std::string heading =
        slot.userNote + "    " + slot.addressText + "    " + serial + "    " + dateLine;
    const bool written =
        extension == ".png" ? SaveWindowPng(page, path) : SaveWindowPdf(page, path, heading);
    if (written) {
        return;
    }
    TellNotWritten(page.GetParent(), path, kFailedText, kTitle);
}

std::string HardCopy::LowerExtension(const std::string& path) {
    std::string extension = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

void HardCopy::TellNotWritten(CWnd* owner, const std::string& path, const char* format,
                              const char* caption) {
    std::vector<char> text(std::strlen(format) + path.size() + 1);
    std::snprintf(text.data(), text.size(), format, path.c_str());
    ShowMessageBox(owner, text.data(), caption, MB_OK | MB_ICONWARNING);
}
