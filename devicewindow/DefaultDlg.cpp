#include "devicewindow/DefaultDlg.h"

#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "devicewindow/QtGuiThread.h"
#include "infra/ColorScheme.h"
#include "metrics/MetricsEndpoint.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CommonDialogs.h"
#include "platform/ui/DialogTemplate.h"

#include <QtCore/qglobal.h>

#include <cstddef>
#include <cstdio>
#include <mutex>

// The tab bitmap and the icon are resources of this library; a static
// library has to register them itself.
static void RegisterDeviceWindowResources() {
    Q_INIT_RESOURCE(devicewindow);
}

using namespace win;

namespace {

constexpr const char* kIconResource = ":/devicewindow/tm80.png";
constexpr const char* kTabBitmapResource = ":/devicewindow/TabImages.png";

// Template 137: popup with caption and system menu, created invisible. The
// page area ends above the strip of the tabs and the identity pane, so that a
// page's bottom row is never under them (the pages' lowest controls end 188
// units down, 224 in the window); the placeholders stay inside the window.
DialogTemplate DeviceWindowTemplate() {
    DialogTemplate t;
    t.cx = 383;
    t.cy = 264;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.items = {
        Hidden(PUSHBUTTON("Exit", DefaultDlg::kIdExit, 169, 247, 50, 12)),
        CONTROL("", DefaultDlg::kIdTabStrip, ControlKind::Tab,
                WS_CHILD | WS_VISIBLE | TCS_BOTTOM | TCS_BUTTONS | TCS_OWNERDRAWFIXED, 1, 244, 149,
                14),
        // Placeholders: only their rectangles are used.
        Hidden(LTEXT("", DefaultDlg::kIdPageFrame, 0, 36, 383, 196)),
        Hidden(LTEXT("", DefaultDlg::kIdHeaderFrame, 0, 0, 383, 36)),
        Hidden(LTEXT("", DefaultDlg::kIdIdentityFrame, 133, 234, 250, 24)),
    };
    return t;
}

CTM80M1_Comm* UnitAt(int index) {
    const UnitSlot* slot = TheSlotTable().Slot(index);
    return slot != nullptr ? slot->Unit() : nullptr;
}

} // namespace

DefaultDlg::DefaultDlg(int unitIndex)
    : CDialogEx(DeviceWindowTemplate()), unitIndex_(unitIndex), periodicReads_(UnitAt(unitIndex)) {
    static std::once_flag registered;
    std::call_once(registered, RegisterDeviceWindowResources);
    Setup(this, "DEVICE_WINDOW");
    icon_.LoadFromFile(kIconResource);
    tabBitmap_.LoadFromFile(kTabBitmapResource);
    primarySetup_ = std::make_unique<PrimarySetupDlg>(unitIndex);
    system_ = std::make_unique<SystemDlg>(unitIndex);
    calibration_ = std::make_unique<Calibration>(unitIndex);
    header_ = std::make_unique<StatusDlg>(unitIndex);
    identity_ = std::make_unique<Info>(unitIndex, this);
}

DefaultDlg::~DefaultDlg() {
    KillTimer(kNoteTimer);
}

std::unique_ptr<DefaultDlg> DefaultDlg::CreateHidden(int unitIndex) {
    auto window = std::make_unique<DefaultDlg>(unitIndex);
    if (!window->Create(nullptr)) {
        return nullptr;
    }
    return window;
}

void DefaultDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, kIdTabStrip, tabs_);
}

bool DefaultDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    ResetTabImages();
    tabs_.InsertItem(kPrimarySetupPage, "Home", kHomeImage);
    tabs_.InsertItem(kSystemPage, "Info", kInfoImage);
    tabs_.InsertItem(kCalibrationPage, "Calibration", kCalibrationImage);
    // The calibration tab waits until the system page asks for it.
    tabs_.DeleteItem(kCalibrationPage);
    // Readable tab texts on the button face, the dialog colour behind them.
    tabs_.SetNormalTextColor(GetSysColor(COLOR_BTNTEXT));
    tabs_.SetEmphasisTextColor(GetSysColor(COLOR_BTNTEXT));
    tabs_.SetBackColor(TheColorScheme().Main.Background);

    LayOutPanes();
    ShowPage(currentPage_);

    EnableToolTips(true);
    Invalidate();
    if (!icon_.IsNull()) {
        SetIcon(icon_, false);
    }
    UpdateTitle();
    SetTimer(kNoteTimer, kNoteTimerMs);
    return true;
}

CRect DefaultDlg::ChildRect(int id) const {
    const CWnd* child = GetDlgItem(id);
    return child != nullptr ? ::ChildRect(*this, *child) : CRect();
}

void DefaultDlg::AddPane(Dlgplus& pane, const CRect& place, bool shown) {
    CDialogEx* window = pane.GetWindow();
    window->Create(this);
    window->MoveWindow(place);
    if (shown) {
        window->ShowWindow(SW_SHOW);
    }
    if (paneCount_ < kMaxPanes) {
        panes_[static_cast<std::size_t>(paneCount_++)] = &pane;
    }
}

void DefaultDlg::LayOutPanes() {
    const CRect page = ChildRect(kIdPageFrame);
    const CRect header = ChildRect(kIdHeaderFrame);
    const CRect tabs = ChildRect(kIdTabStrip);
    CRect identity = ChildRect(kIdIdentityFrame);

    // The identity frame goes right of the tab strip and down to its bottom;
    // its top stays below the page area, in dialog units like the rest.
    identity.left = tabs.right;
    identity.bottom = tabs.bottom;
    if (CWnd* frame = GetDlgItem(kIdIdentityFrame)) {
        frame->MoveWindow(identity);
    }

    // The pages stay hidden until their tab shows them.
    for (int i = 0; i < kPageCount; ++i) {
        AddPane(*GetPage(i), page, false);
    }
    AddPane(*header_, header, true);
    AddPane(*identity_, identity, true);

    tabs_.BringWindowToTop();
    identity_->BringWindowToTop();
}

Dlgplus* DefaultDlg::GetPane(int index) const {
    if (index < 0 || index >= paneCount_) {
        return nullptr;
    }
    return panes_[static_cast<std::size_t>(index)];
}

Dlgplus* DefaultDlg::GetPage(int index) const {
    switch (index) {
    case kPrimarySetupPage:
        return primarySetup_.get();
    case kSystemPage:
        return system_.get();
    case kCalibrationPage:
        return calibration_.get();
    default:
        return nullptr;
    }
}

void DefaultDlg::ShowPage(int index) {
    Dlgplus* page = GetPage(index);
    if (page == nullptr || page->GetWindow() == nullptr) {
        return;
    }
    page->GetWindow()->EnableWindow(true);
    page->Start();
    page->GetWindow()->ShowWindow(SW_SHOW);
}

void DefaultDlg::ChangeTab() {
    if (Dlgplus* old = GetPage(currentPage_); old != nullptr && old->GetWindow() != nullptr) {
        old->GetWindow()->ShowWindow(SW_HIDE);
        old->Stop();
    }
    const int selected = tabs_.GetCurSel();
    if (selected >= kPrimarySetupPage && selected < kPageCount) {
        currentPage_ = selected;
    }
    ShowPage(currentPage_);
}

bool DefaultDlg::OnNotify(int id, int code) {
    if (id == kIdTabStrip && code == TCN_SELCHANGE) {
        ChangeTab();
        return true;
    }
    return CDialogEx::OnNotify(id, code);
}

void DefaultDlg::ResetTabImages() {
    auto images = std::make_unique<CImageList>();
    images->Create(kTabImageWidth, kTabImageWidth, 0, 10);
    images->Add(tabBitmap_);
    tabs_.SetImageList(images.get());
    tabImages_ = std::move(images); // the strip no longer uses the old list
}

bool DefaultDlg::HasCalibrationTab() const {
    return tabs_.GetItemCount() > kCalibrationPage;
}

void DefaultDlg::ShowCalibrationTab(bool shown) {
    ResetTabImages();
    if (shown) {
        if (!HasCalibrationTab()) {
            tabs_.InsertItem(kCalibrationPage, "Calibration", kCalibrationImage);
        }
        return;
    }
    if (!HasCalibrationTab()) {
        return;
    }
    tabs_.DeleteItem(kCalibrationPage);
    // A calibration page left showing without its tab could not be left
    // again by the tabs; go home.
    if (currentPage_ == kCalibrationPage) {
        tabs_.SetCurSel(kPrimarySetupPage);
        ChangeTab();
    }
}

void DefaultDlg::SavePanes(const char* file) {
    for (int i = 0; i < paneCount_; ++i) {
        panes_[static_cast<std::size_t>(i)]->SaveSettings(file);
    }
}

void DefaultDlg::LoadPanes(const char* file) {
    for (int i = 0; i < paneCount_; ++i) {
        panes_[static_cast<std::size_t>(i)]->LoadSettings(file);
    }
}

int DefaultDlg::SendPanes() {
    for (int i = 0; i < paneCount_; ++i) {
        if (panes_[static_cast<std::size_t>(i)]->SendSettings() == 0) {
            return 0;
        }
    }
    return 1;
}

void DefaultDlg::ShowPanes() {
    for (int i = 0; i < paneCount_; ++i) {
        Dlgplus& pane = *panes_[static_cast<std::size_t>(i)];
        pane.UpdateValues();
        pane.UpdateStates();
    }
    RedrawWindow();
}

std::string DefaultDlg::Title(int unitIndex, const std::string& note, const std::string& address) {
    const std::string name = note.empty() ? "Device " + std::to_string(unitIndex + 1) : note;
    return name + " (" + address + ") \x96 TM80";
}

void DefaultDlg::UpdateTitle() {
    const UnitSlot* slot = TheSlotTable().Slot(unitIndex_);
    if (slot != nullptr) {
        SetWindowText(Title(unitIndex_, slot->userNote, slot->addressText));
    }
}

void DefaultDlg::UpdateHeader() {
    header_->UpdateValues();
    identity_->UpdateValues();
    UpdateTitle();
}

void DefaultDlg::ShowNormal() {
    ShowWindow(SW_SHOWNORMAL);
}

bool DefaultDlg::IsMinimized() const {
    return IsIconic();
}

void DefaultDlg::Restore() {
    ShowWindow(SW_RESTORE);
}

void DefaultDlg::BringToFront() {
    SetForegroundWindow();
}

void DefaultDlg::ShowHistory() {
    if (history_ == nullptr) {
        history_ = HistoryDlg::CreateHidden(unitIndex_);
    }
    if (history_ != nullptr) {
        history_->ShowNormal();
    }
}

void DefaultDlg::OnOK() {
    // Enter has no meaning here: the window has no default button, and
    // hiding it by Enter would leave the main window believing it shown.
}

void DefaultDlg::OnCancel() {
    ShowWindow(SW_HIDE);
    if (unitIndex_ >= 0 && unitIndex_ < kUnitPositions) {
        TheSlotTable().At(unitIndex_).windowShown = false;
    }
}

void DefaultDlg::OnTimer(UINT_PTR id) {
    if (id == kNoteTimer) {
        NoteCheck();
        return;
    }
    CDialogEx::OnTimer(id);
}

void DefaultDlg::NoteCheck() {
    periodicReads_.Ask(PeriodicReads::Kind::NoteCheck, [this](int read) { NoteChecked(read); });
}

UnitCondition DefaultDlg::Condition() const {
    if (UnitLost(unitIndex_)) {
        return UnitCondition::Lost;
    }
    if (periodicReads_.IsQuiet()) {
        return UnitCondition::Quiet;
    }
    return system_ != nullptr && system_->IsHot() ? UnitCondition::OverTemperature
                                                  : UnitCondition::Answering;
}

void DefaultDlg::ReportCondition() {
    const UnitCondition now = Condition();
    if (now == reported_) {
        return;
    }
    reported_ = now;
    if (UnitSlot* slot = TheSlotTable().Slot(unitIndex_)) {
        slot->RefreshMainWindow();
    }
}

void DefaultDlg::NoteChecked(int read) {
    FlagIfLost(read);
    ReportCondition();
}

void DefaultDlg::FlagIfLost(int read) {
    UnitSlot* slot = TheSlotTable().Slot(unitIndex_);
    if (read < 0 || slot == nullptr || slot->Unit() == nullptr) {
        return; // a quiet unit's check left out: nothing new to compare
    }
    metrics::RecordNoteCheck(*slot, read);
    // A read that failed is a lost connection whatever the note; one that
    // came back with another note may be another unit at the address.
    const bool answered = read != 0;
    const std::string note = slot->Unit()->identity.userNote.data();
    if (answered && note == slot->userNote) {
        return;
    }
    ConnectionLostFlag()[static_cast<std::size_t>(unitIndex_)] = 1;
    if (!lostNoticeArmed_) {
        return;
    }
    lostNoticeArmed_ = false;
    char text[256];
    if (answered) {
        std::snprintf(text, sizeof text, kNoteChangedText, unitIndex_ + 1,
                      slot->addressText.c_str(), note.c_str());
    } else {
        std::snprintf(text, sizeof text, kLostText, unitIndex_ + 1, slot->addressText.c_str());
    }
    // Owned by the main window, which waits meanwhile; nothing of this window
    // is touched when the box opens (perhaps only after an operator's action
    // has ended) or once it has closed.
    TheGuiThread().AfterWaits(
        [notice = std::string(text)] { ShowMessageBox(nullptr, notice, kLostCaption, MB_OK); });
}
