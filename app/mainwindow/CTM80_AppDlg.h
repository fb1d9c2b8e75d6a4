#pragma once

// CTM80_AppDlg: the main window. One row per unit in the slot table (Device 1
// to Device 4), the "Add Device" button, the discovery count and this
// computer's address. Run modally by the application object: its end ends the
// process. Closing by Esc or the close box saves the system configuration;
// Enter ends it without saving.
//
// It owns the slot table's contents: AddUnit and RemoveUnit fill and empty
// positions, and the unit slots and their device windows reach it through
// UnitSlotHost. A row's state marker (left of the device ID) shows what the
// unit's device window last saw: green while the unit answers, yellow while
// it is too hot, grey, with the lit split light grey too, while its
// connection is lost or its reads time out; its tool tip says which.
//
// Each unit it connects to gets its own I/O worker (UnitWorker), which makes
// the connection and runs every exchange with the unit; the window waits for
// none of them. What the operator asks of a unit (adding it, a page's write,
// a setup recall) waits for that unit with the wait cursor, input held,
// while the other units' windows go on refreshing and painting.

#include "device/CTM80M1_Comm.h"
#include "device/TCPCom.h"
#include "device/UnitSlotHost.h"
#include "infra/SystemConfiguration.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CMenu.h"
#include "platform/ui/CStatic.h"
#include "toolkit/CNewLabel.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Pictureplus.h"
#include "toolkit/RemoveButton.h"
#include "toolkit/Staticball.h"
#include "toolkit/Staticplus.h"

#include <array>
#include <memory>
#include <string>

class DefaultDlg;
class ProgressBox;

class CTM80_AppDlg : public win::CDialogEx, public Dlgplus, public UnitSlotHost {
public:
    static constexpr const char* kSection = "TM80MAINDLG";
    static constexpr const char* kTitlePrefix = "Tm80_App Version ";
    static constexpr const char* kConnectFailedText = "Connection could not be made with %s";
    // The connection was made but the open sequence failed.
    static constexpr const char* kNoAnswerText = "%s did not answer.";
    static constexpr const char* kAddDeviceCaption = "Add Device";
    static constexpr const char* kTableFullText = "All four device positions are in use.";
    static constexpr const char* kAlreadyConnectedText = "%s is already connected as Device %d.";
    // The error log's line for an address the direct launch lists again.
    static constexpr const char* kLaunchedTwiceText =
        "Direct launch: %s is listed more than once; it is connected once, as Device %d.";
    // What one key would otherwise do without a word: Enter or Space on a
    // remove button (position 1-4 and address), Esc on the window.
    static constexpr const char* kRemoveQuestion = "Remove Device %d (%s)?";
    static constexpr const char* kExitQuestion = "Exit TM80?";
    static constexpr const char* kQuestionCaption = "TM80";
    static constexpr int kTextUnit = 10;
    static constexpr win::COLORREF kLitFill = win::RGB(0, 255, 0);
    static constexpr win::COLORREF kLitOutline = win::RGB(0, 0, 0);
    // A lit light of a unit that is lost or quiet: what it showed is no
    // longer known to hold.
    static constexpr win::COLORREF kSilentFill = win::RGB(128, 128, 128);
    // The state marker of a unit that is too hot.
    static constexpr win::COLORREF kHotFill = win::RGB(255, 255, 0);

    // Publishes itself as the process's main window.
    explicit CTM80_AppDlg(win::CWnd* parent = nullptr);
    // Empties the slot table (connections closed, device windows destroyed)
    // while the window layer still exists.
    ~CTM80_AppDlg() override;

    // Puts a freshly connected unit in the lowest free position, opens it and
    // shows it; its exchanges run on `worker` (the one that connected it)
    // when there is one. When all four positions are in use the unit is
    // refused with a message and its connection closed; false then. A unit
    // whose open sequence fails (it stops at the first exchange that does)
    // gets no row: its connection is closed and "%s did not answer." names
    // it; false.
    bool AddUnit(std::unique_ptr<TCPCom> connection, std::unique_ptr<CTM80M1_Comm> unit,
                 std::unique_ptr<UnitWorker> worker = nullptr);
    // Connects to `address` on a new I/O worker and adds the unit (AddUnit),
    // reporting both steps to whatever shows the progress. A connection that
    // cannot be made gives "Connection could not be made with %s" with
    // `address`. True when the unit took a row. The direct launch and Add
    // Device both come in here.
    bool ConnectUnit(const std::string& address);
    // "Add Device": runs the communications setup dialog and connects to the
    // unit chosen there, found by the scan (its list entry then goes) or
    // typed. An address that a row already shows, or a full table, is
    // refused with a message before any connection is opened.
    void AddDevice();
    // Empties position `index` (0-3): connection closed, device window
    // destroyed. Nothing happens while an action waits for that unit.
    void RemoveUnit(int index);
    // The "Device n" buttons: restores, shows or raises the unit's device window.
    void ShowDeviceWindow(int index);

    void UpdateValues() override;
    void UpdateStates() override;
    // The system configuration (nullptr: its usual file).
    void LoadSettings(const char* path) override;
    void SaveSettings(const char* path) override;

    // UnitSlotHost: the open sequence's window steps and the pages' refreshes.
    std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) override;
    void RefreshMainWindow(UnitSlot& slot) override;
    void RefreshMainWindowStates(UnitSlot& slot) override;

    // The device window of position `index`, or nullptr.
    static DefaultDlg* DeviceWindowOf(int index);

    // Colours of an unlit light: the MAIN background, and that colour
    // lightened halfway to white for the outline.
    win::COLORREF UnlitFill() const { return unlitFill_; }
    win::COLORREF UnlitOutline() const { return unlitOutline_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnCommand(int id, int code) override;
    // Esc asks before it closes the window; the close box does not.
    bool OnKeyDown(win::UINT key, win::UINT repeat, win::UINT flags) override;
    void OnCancel() override;

private:
    // Whether the operator confirms removing the unit at `index`.
    bool AskRemoval(int index);

    struct Row {
        RemoveButton remove;
        Staticball state;
        CNewLabel deviceId;
        CNewLabel address;
        win::CButton deviceButton;
        Staticball mode18;
        Staticball mode24;
        std::array<Staticplus, 8> outputs;
        win::CStatic frameAll;
        win::CStatic frameFirstHalf;
        win::CStatic frameSecondHalf;
    };

    void PlaceLogo();
    void StyleInitialLooks();
    void LaunchDirectly();
    void FillControlTable();
    void ShowLocalAddress();
    void ShowAbout();
    // Lit green, lit grey (`silent`: the unit is lost or quiet), or unlit.
    void SetLight(Staticball& light, bool lit, bool silent = false);
    // Row `index`'s state marker and its tool tip from the unit's device
    // window: green answering, yellow too hot, grey lost or quiet. True when
    // the unit is lost or quiet.
    bool ShowCondition(int index);
    // Refits a label of the control table to the text it now holds.
    void FitLabel(const char* name);
    // Tells the operator about `address` with `format` ("%s" for the address).
    void ConnectFailed(const std::string& address, const char* format = kConnectFailedText);
    // The "Add Device" refusals: a full table, or `address` already in a row.
    bool RefuseToAdd(const std::string& address);
    // ConnectUnit with a small box that says what it is doing.
    bool ConnectShowingProgress(const std::string& address);

    std::array<Row, kUnitPositions> rows_;
    Pictureplus logo_;
    win::CStatic logoEnd_;
    Staticplus deviceIdentification_;
    CNewLabel mode18Header_;
    CNewLabel mode24Header_;
    std::array<CNewLabel, 8> outputHeaders_;
    win::CButton addDevice_;
    Staticplus localAddress_;
    Staticplus devicesFound_;

    std::unique_ptr<ProgressBox> progressBox_; // while Add Device connects
    win::CMenu menu_;
    win::COLORREF unlitFill_ = 0;
    win::COLORREF unlitOutline_ = 0;
    bool socketsStarted_ = false;
};
