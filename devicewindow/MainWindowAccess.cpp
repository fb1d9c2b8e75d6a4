#include "devicewindow/MainWindowAccess.h"

namespace {
MainWindowAccess* registered = nullptr;
}

void MainWindowAccess::Register(MainWindowAccess* mainWindow) {
    registered = mainWindow;
}

MainWindowAccess* MainWindowAccess::Get() {
    return registered;
}

void MainWindowAccess::UpdateValues() {
    if (registered != nullptr) {
        registered->RefreshValues();
    }
}

void MainWindowAccess::UpdateStates() {
    if (registered != nullptr) {
        registered->RefreshStates();
    }
}
