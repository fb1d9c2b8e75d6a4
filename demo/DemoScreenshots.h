// The demo's walk through the windows, for its screenshots: once the main
// window is up, show the device window of Device 1 and act there as a new user
// would (output 3's slider one step right, the next band for output 1), add
// the unit noted "SPARE" with "Add Device" (picked by its note;
// FOLDER/communications-setup.png shows the dialog), wait about 2 s and
// until the unit in kLostPosition has been found lost (the demo's third unit
// hangs up after a few seconds; at most kLostWaitMs), answer the notice, then
// save FOLDER/main-window.png and FOLDER/device-window.png, then show the Info
// tab and save FOLDER/system-page.png, and the lost unit's Info page as
// FOLDER/lost-unit.png; then open SPARE's history (System > History), answer
// the lost-connection notice its silence brings, and once its history shows a
// hot spell, then a silence, then readings again (at most kHistoryWaitMs),
// save FOLDER/history.png with the range "All"; last, end the main window
// (without saving the configuration).
#pragma once

#include <QTimer>

#include <string>

class CTM80_AppDlg;
class DefaultDlg;

class DemoScreenshots {
public:
    static constexpr const char* kMainWindowFile = "main-window.png";
    static constexpr const char* kDeviceWindowFile = "device-window.png";
    static constexpr const char* kSystemPageFile = "system-page.png";
    static constexpr const char* kConfigFile = "communications-setup.png";
    static constexpr const char* kLostUnitFile = "lost-unit.png";
    static constexpr int kLostPosition = 2;
    static constexpr int kLostWaitMs = 30000;
    static constexpr const char* kHistoryFile = "history.png";
    static constexpr int kHistoryWaitMs = 120000;
    // Readings after the silence before the history's picture.
    static constexpr int kReadingsAfterSilence = 5;
    static constexpr const char* kAddedNote = "SPARE";
    static constexpr int kSettleMs = 2000;

    DemoScreenshots(CTM80_AppDlg& mainWindow, std::string folder);
    DemoScreenshots(const DemoScreenshots&) = delete;
    DemoScreenshots& operator=(const DemoScreenshots&) = delete;

private:
    void Poll();
    // Works the primary setup page of `device` with the keyboard and the band
    // choice, as the operator would; then AddSpareUnit.
    void ActAsNewUser(DefaultDlg& device);
    // "Add Device": the unit noted kAddedNote picked by its note, the dialog
    // saved as a screenshot, OK (Cancel when no such unit was found); then
    // the settle time before the other screenshots.
    void AddSpareUnit();
    // Whether the unit in kLostPosition is lost; answers the notice saying so.
    bool LostUnitShown();
    void Take();
    // The Info page of the device window at `index` saved as FOLDER/`file`.
    void SaveInfoPage(int index, const char* file);
    // SPARE's history window, its picture once the spells are over, then the end.
    void TakeHistory();

    CTM80_AppDlg& mainWindow_;
    std::string folder_;
    QTimer poll_;
    QTimer settle_;
    int waitedMs_ = 0;
    QTimer history_;
    int historyWaitedMs_ = 0;
};
