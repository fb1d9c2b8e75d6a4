#include "app/mainwindow/SetupMenuCommands.h"

#include "app/mainwindow/Resources.h"
#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "devicewindow/DefaultDlg.h"
#include "infra/Environment.h"
#include "platform/ui/CWaitCursor.h"
#include "platform/ui/CommonDialogs.h"

#include <cstdio>

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
    return UnitSetupFolder(slot.Unit()->SerialNumberText());
}

void SetupMenuCommands::SaveSetup(CWnd* owner, int device) {
    CWaitCursor wait;
    UnitSlot* slot = ConnectedSlot(owner, device);
    if (slot == nullptr) {
        return;
    }
    std::string path;
    if (!ChooseSetupFile(owner, true, MadeUnitSetupFolder(slot->Unit()->SerialNumberText()),
                         path)) {
        return;
    }
    slot->SaveSetup(path);
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
    CurrentSetupFile() = path;
    slot->ApplyRecalledSetup();
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
