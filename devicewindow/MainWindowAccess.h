// What the device windows ask of the main window: to refresh its rows and
// states after a page changed a unit. The main window registers itself; with
// none registered (tests of a lone device window) the calls do nothing.
#pragma once

class MainWindowAccess {
public:
    virtual ~MainWindowAccess() = default;
    virtual void RefreshValues() = 0;
    virtual void RefreshStates() = 0;

    static void Register(MainWindowAccess* mainWindow);
    static MainWindowAccess* Get();
    static void UpdateValues();
    static void UpdateStates();

protected:
    MainWindowAccess() = default;
};
