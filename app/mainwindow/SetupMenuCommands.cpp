#include "app/mainwindow/SetupMenuCommands.h"

#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "devicewindow/DefaultDlg.h"
#include "infra/Environment.h"
#include "infra/UnitFolderForSave.h"
#include "platform/ui/CWaitCursor.h"
#include "platform/ui/CommonDialogs.h"

#include <cstdio>
#include <string_view>

using namespace win;

namespace {

// The position's slot, or nullptr after telling the operator it is empty.
UnitSlot* ConnectedSlot(CWnd* owner, int device) {
    UnitSlot* slot = TheSlotTable().Slot(device - 1);
    if (slot == nullptr || slot->Unit() == nullptr) {
        char text[64];
        std::snprintf(text, sizeof text, SetupMenuCommands::kNotConnectedText, device);
        ShowMessageBox(owner, text, "", MB_OK | MB_ICONWARNING);
        return nullptr;
    }
    return slot;
}

// `format` with `path` for its "%s" and `device` for a "%d" after it. Built
// piece by piece: a path may be longer than any fixed buffer.
std::string WithPath(std::string_view format, const std::string& path, int device = 0) {
    const std::size_t at = format.find("%s");
    std::string text(format.substr(0, at));
    text += path;
    std::string_view rest = format.substr(at + 2);
    if (const std::size_t number = rest.find("%d"); number != std::string_view::npos) {
        text += rest.substr(0, number);
        text += std::to_string(device);
        rest = rest.substr(number + 2);
    }
    text += rest;
    return text;
}

bool ChooseSetupFile(CWnd* owner, bool save, const std::string& folder, std::string& path) {
    FileDialogRequest request;
    request.owner = owner;
    request.save = save;
    request.title = save ? SetupMenuCommands::kSaveTitle : SetupMenuCommands::kOpenTitle;
    request.initialFolder = folder;
    request.defaultExtension = SetupMenuCommands::kExtension;
    request.filter = SetupMenuCommands::kFilter;
    return CommonDialogs::Current().ChooseFile(request, path);
}

} // namespace

std::string SetupMenuCommands::UnitFolder(UnitSlot& slot) {
    return UnitSetupFolder(slot.Unit()->KnownSerialText());
}

void SetupMenuCommands::SaveSetup(CWnd* owner, int device) {
    CWaitCursor wait;
    UnitSlot* slot = ConnectedSlot(owner, device);
    if (slot == nullptr) {
        return;
    }
    const UnitFolderForSave folder(slot->Unit()->KnownSerialText());
    std::string path;
    if (!ChooseSetupFile(owner, true, folder.Path(), path)) {
        return;
    }
    // The headers keep naming the file recalled last either way.
    if (slot->SaveSetup(path) == 0) {
        ShowMessageBox(owner, WithPath(kNotSavedText, path), kSaveCaption, MB_OK | MB_ICONWARNING);
    }
}

void SetupMenuCommands::RecallSetup(CWnd* owner, int device) {
    CWaitCursor wait;
    UnitSlot* slot = ConnectedSlot(owner, device);
    if (slot == nullptr) {
        return;
    }
    std::string path;
    if (!ChooseSetupFile(owner, false, UnitFolder(*slot), path)) {
        return;
    }
    if (slot->RecallSetup(path) == 0) {
        ShowMessageBox(owner, UnitSlot::NoSetupText(path), kRecallCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    // The sending stops at the first exchange that fails, and the pages and
    // the row then show what the unit holds.
    if (slot->ApplyRecalledSetup() == 0) {
        ShowMessageBox(owner, WithPath(kNotSentText, path, device), kRecallCaption,
                       MB_OK | MB_ICONWARNING);
        return;
    }
    CurrentSetupFile() = path;
    for (int index = 0; index < kUnitPositions; ++index) {
        if (DefaultDlg* window = CTM80_AppDlg::DeviceWindowOf(index)) {
            window->UpdateHeader();
        }
    }
}

void SetupMenuCommands::FlashLeds(int device) {
    UnitSlot* slot = TheSlotTable().Slot(device - 1);
    if (slot != nullptr && slot->Unit() != nullptr) {
        slot->Unit()->FlashLeds();
    }
}

void SetupMenuCommands::ShowHistory(CWnd* owner, int device) {
    UnitSlot* slot = ConnectedSlot(owner, device);
    if (slot == nullptr) {
        return;
    }
    if (auto* window = dynamic_cast<DefaultDlg*>(slot->DeviceWindow())) {
        window->ShowHistory();
    }
}

bool SetupMenuCommands::Handle(CWnd* owner, unsigned id) {
    for (int device = 1; device <= kUnitPositions; ++device) {
        const auto n = static_cast<unsigned>(device - 1);
        if (id == res::ID_SAVE_SETUP_1 + n) {
            SaveSetup(owner, device);
            return true;
        }
        if (id == res::ID_RECALL_SETUP_1 + n) {
            RecallSetup(owner, device);
            return true;
        }
        if (id == res::ID_FLASH_LEDS_1 + n) {
            FlashLeds(device);
            return true;
        }
        if (id == res::ID_HISTORY_1 + n) {
            ShowHistory(owner, device);
            return true;
        }
    }
    return false;
}
