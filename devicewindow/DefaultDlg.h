// DefaultDlg: a unit's device window. A top-level window, created hidden by
// the unit's open sequence and owned by its UnitSlot, that shows the status
// header across the top, one of three pages below it and a strip of tabs along
// the bottom with the identity pane to its right.
//
// Its timer 1001 re-reads the unit's note about once a second, visible or
// not, without waiting for the unit (PeriodicReads): a read that fails, or a
// note that no longer matches the one the slot keeps, marks the unit's
// connection as lost (ConnectionLostFlag). The first time a unit is found lost
// its window shows a notice, naming the unit and what was seen; a unit added
// again later gets a notice of its own.
//
// The main window's use:
//   std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) override {
//       return DefaultDlg::CreateHidden(slot.Index());
//   }
// The slot must already sit in TheSlotTable() when it is opened: the panes
// read their unit from there while they are created.
#pragma once

#include "device/UnitDeviceWindow.h"
#include "devicewindow/Calibration.h"
#include "devicewindow/HistoryDlg.h"
#include "devicewindow/Info.h"
#include "devicewindow/PeriodicReads.h"
#include "devicewindow/PrimarySetupDlg.h"
#include "devicewindow/StatusDlg.h"
#include "devicewindow/SystemDlg.h"
#include "devicewindow/UnitCondition.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CImage.h"
#include "platform/ui/CImageList.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/Tabctrlplus.h"

#include <array>
#include <memory>
#include <string>

class DefaultDlg : public win::CDialogEx, public Dlgplus, public UnitDeviceWindow {
public:
    static constexpr int kTemplateId = 137;
    // Control ids of template 137.
    static constexpr int kIdExit = win::IDCANCEL; // hidden; the close box sends the same
    static constexpr int kIdPageFrame = 1010;
    static constexpr int kIdTabStrip = 1011;
    static constexpr int kIdHeaderFrame = 1013;
    static constexpr int kIdIdentityFrame = 1014;

    static constexpr win::UINT_PTR kNoteTimer = 1001;
    static constexpr win::UINT kNoteTimerMs = 1001;
    static constexpr int kMaxPanes = 10;

    // Pages, by the index of their tab.
    static constexpr int kPrimarySetupPage = 0;
    static constexpr int kSystemPage = 1;
    static constexpr int kCalibrationPage = 2;
    static constexpr int kPageCount = 3;
    // Images of the tab bitmap.
    static constexpr int kTabImageWidth = 25;
    static constexpr int kHomeImage = 0;
    static constexpr int kCalibrationImage = 5;
    static constexpr int kInfoImage = 6;

    // The title names the unit, so that the taskbar and Alt+Tab tell the
    // windows apart: "RACK A (127.0.0.2) \x96 TM80" (an en dash in the
    // window's code page); "Device 1 (...)" for a unit without a note.
    static std::string Title(int unitIndex, const std::string& note, const std::string& address);
    // The notice for a lost unit, by what the note check saw: the read failed,
    // or the unit answered with another note (another unit may now answer at
    // that address). Position (1-4) and address name the unit.
    static constexpr const char* kLostText = "TCP connection to Device %d (%s) was lost.";
    static constexpr const char* kNoteChangedText =
        "Device %d (%s) now reports the note \"%s\"; remove it and add it again to control it.";
    static constexpr const char* kLostCaption = "Communication to TM80";

    // Keeps the unit index (0..3) and loads the icon; the window is made by
    // Create (or CreateHidden).
    explicit DefaultDlg(int unitIndex);
    ~DefaultDlg() override;

    // Constructs the window for `unitIndex` and creates it from its template:
    // modeless, top-level (the desktop as parent), hidden. nullptr when the
    // window cannot be made.
    static std::unique_ptr<DefaultDlg> CreateHidden(int unitIndex);

    int GetUnitIndex() const { return unitIndex_; }

    // Showing, for the main window's device buttons.
    void ShowNormal();
    bool IsMinimized() const;
    void Restore();
    void BringToFront();

    // The pane list: primary setup page, system page, calibration page,
    // status header, identity pane. Recall, save and apply walk it in this
    // order. GetPane returns nullptr outside 0..GetPaneCount()-1.
    int GetPaneCount() const { return paneCount_; }
    Dlgplus* GetPane(int index) const;

    StatusDlg& GetStatusHeader() { return *header_; }
    Info& GetIdentityPane() { return *identity_; }
    Tabctrlplus& GetTabStrip() { return tabs_; }
    // The page behind tab `index` (0..2), or nullptr.
    Dlgplus* GetPage(int index) const;
    int GetCurrentPage() const { return currentPage_; }

    // UnitDeviceWindow: setup save, recall and apply walk the pane list.
    // SendPanes sends each pane's settings until one fails; ShowPanes
    // refreshes each pane's values and states, then redraws the window.
    void SavePanes(const char* file) override;
    void LoadPanes(const char* file) override;
    int SendPanes() override;
    void ShowPanes() override;

    // Refreshes what shows the unit's note and address: the status header,
    // the identity pane and the title (the main window's UpdateValues does
    // this for every unit).
    void UpdateHeader();

    // The system page's "Display Calibration Tab": gives the tab strip a
    // fresh image list and inserts (shown) or deletes (not shown) tab 2.
    void ShowCalibrationTab(bool shown);
    bool HasCalibrationTab() const;
    // Gives the tab strip a fresh image list made from the tab bitmap.
    void ResetTabImages();

    // The unit's history window, made at its first showing; nullptr before.
    void ShowHistory();
    HistoryDlg* GetHistoryWindow() const { return history_.get(); }

    // One note check, as each tick of timer 1001 runs it: the read goes out,
    // and its result is looked at when it comes back.
    void NoteCheck();
    // The pace of the unit's periodic reads (the note check and the system
    // page's status refresh); IsQuiet tells a unit that has stopped answering.
    PeriodicReads& GetPeriodicReads() { return periodicReads_; }
    const PeriodicReads& GetPeriodicReads() const { return periodicReads_; }

    // What the window last saw of the unit: its connection lost, its reads
    // timing out (quiet), too hot, or answering, in that order of weight.
    UnitCondition Condition() const;
    // Tells the main window (through the unit's slot) when Condition() has
    // changed since it was last told; the periodic reads call it with
    // their results.
    void ReportCondition();

    // The notice for a lost connection is shown at most once for the unit
    // this window belongs to; showing it disarms it. Armed when the window is
    // made.
    bool IsLostNoticeArmed() const { return lostNoticeArmed_; }

    bool OnInitDialog() override;
    void DoDataExchange(win::CDataExchange* dx) override;
    bool OnNotify(int id, int code) override;
    void OnTimer(win::UINT_PTR id) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void UpdateTitle();
    void LayOutPanes();
    // Creates the pane's window as a child at `place` and adds it to the list.
    void AddPane(Dlgplus& pane, const win::CRect& place, bool shown);
    void ChangeTab();
    // What a note check's read (1 answered, 0 failed, -1 left out) tells.
    void NoteChecked(int read);
    // Sets the unit's ConnectionLostFlag when the read failed or brought
    // another note, and arms the notice.
    void FlagIfLost(int read);
    void ShowPage(int index);
    win::CRect ChildRect(int id) const;

    int unitIndex_;
    int currentPage_ = kPrimarySetupPage;
    win::CImage icon_;
    win::CImage tabBitmap_;
    std::unique_ptr<win::CImageList> tabImages_;
    Tabctrlplus tabs_;

    PeriodicReads periodicReads_;
    bool lostNoticeArmed_ = true;
    UnitCondition reported_ = UnitCondition::Answering;
    // Pages, header and identity pane, in creation order.
    std::unique_ptr<PrimarySetupDlg> primarySetup_;
    std::unique_ptr<SystemDlg> system_;
    std::unique_ptr<Calibration> calibration_;
    std::unique_ptr<StatusDlg> header_;
    std::unique_ptr<Info> identity_;
    std::unique_ptr<HistoryDlg> history_;

    std::array<Dlgplus*, kMaxPanes> panes_{};
    int paneCount_ = 0;
};
