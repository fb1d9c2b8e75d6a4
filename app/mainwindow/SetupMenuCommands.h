// The main window's commands for one device position (Device 1 to 4):
// File > Save Setup, File > Recall Setup, System > Flash LEDs and System >
// History (the unit's history window). "Device n"
// is always position n - 1 of the slot table, whatever unit is in it.
//
// A unit's setup files live in its own folder below the setup files folder,
// named after its serial number ("00A1-1012_Setup"); a save's dialog starts
// there, and the folder stays only once a file was written into it; the
// recall only looks there. A unit whose serial is not known has no folder of
// its own: both start in the setup files folder. The file recalled last is
// CurrentSetupFile, which every device window's header shows: a recall that
// the unit did not take whole says so, and the header keeps the file before.
#pragma once

#include <string>

class UnitSlot;

namespace win {
class CWnd;
}

class SetupMenuCommands {
public:
    static constexpr const char* kNotConnectedText = "Device %d not connected.";
    static constexpr const char* kOpenTitle = "TM80 M1 Setup File";
    static constexpr const char* kSaveTitle = "TM80 Setup File";
    static constexpr const char* kFilter = "File Type (*.TM80)|*.TM80||";
    static constexpr const char* kExtension = "TM80";
    // A chosen file with neither setup section is not applied (the message
    // is UnitSlot::NoSetupText).
    static constexpr const char* kRecallCaption = "Recall Setup";
    // An exchange of the apply failed; the pages show what the unit holds.
    static constexpr const char* kNotSentText = "The setup in %s could not be sent to Device %d.";
    // The file chosen could not be written (a read-only file or folder, a
    // full disk); what was there stays.
    static constexpr const char* kSaveCaption = "Save Setup";
    static constexpr const char* kNotSavedText = "The setup could not be saved to %s.";

    // Carries out command `id` of the menu when it is one of these: true.
    static bool Handle(win::CWnd* owner, unsigned id);

    // `device` is 1 to 4.
    static void SaveSetup(win::CWnd* owner, int device);
    static void RecallSetup(win::CWnd* owner, int device);
    static void FlashLeds(int device);
    static void ShowHistory(win::CWnd* owner, int device);

    // The unit's own folder (UnitSetupFolder of its known serial).
    static std::string UnitFolder(UnitSlot& slot);
};
