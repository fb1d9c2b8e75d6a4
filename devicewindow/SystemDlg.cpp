#include "devicewindow/SystemDlg.h"

#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "device/UnitProtocol.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/HardCopy.h"
#include "infra/ColorScheme.h"
#include "metrics/MetricsEndpoint.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"
#include "toolkit/EntryDialogs.h"

#include "Version.h"

#include <climits>
#include <cstdio>
#include <vector>

using namespace win;

namespace {

constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

constexpr int kNoteWindowWidth = 250;

// Software version, serial number, device ID, IP address.
constexpr int kIdentityLabelIds[SystemDlg::kIdentityRows] = {1064, 1083, 2038, 1065};
constexpr int kIdentityIds[SystemDlg::kIdentityRows] = {1066, 1086, SystemDlg::kIdDeviceId, 1067};
constexpr const char* kIdentityCaptions[SystemDlg::kIdentityRows] = {
    "Software Version", "Unit Serial Number", "Device ID", "IP Address"};
constexpr const char* kIdentityLabelKeys[SystemDlg::kIdentityRows] = {
    "IDL_SOFTWARE_VERSION", "IDL_SERIAL_NUMBER", "IDL_DEVICE_ID", "IDL_IP_ADDRESS"};
constexpr const char* kIdentityKeys[SystemDlg::kIdentityRows] = {
    "IDC_SOFTWARE_VERSION", "IDC_SERIAL_NUMBER", "IDC_DEVICE_ID", "IDC_IP_ADDRESS"};

// Voltage, current, power, temperature.
constexpr int kMonitorLabelIds[SystemDlg::kMonitors] = {1068, 1069, 1070, 1071};
constexpr int kMonitorIds[SystemDlg::kMonitors] = {1074, 1075, 1076, 1077};
constexpr int kMonitorLightIds[SystemDlg::kMonitors] = {1112, 1113, 1114, 1080};
constexpr const char* kMonitorCaptions[SystemDlg::kMonitors] = {"Source Voltage", "Source Current",
                                                                "Power", "System Temp (Deg. C)"};
constexpr const char* kMonitorLabelKeys[SystemDlg::kMonitors] = {
    "IDL_SOURCE_VOLTAGE", "IDL_SOURCE_CURRENT", "IDL_POWER", "IDL_SYSTEM_TEMP"};
constexpr const char* kMonitorKeys[SystemDlg::kMonitors] = {
    "IDC_SOURCE_VOLTAGE", "IDC_SOURCE_CURRENT", "IDC_POWER", "IDC_SYSTEM_TEMP"};
constexpr const char* kMonitorLightKeys[SystemDlg::kMonitors] = {
    "IDC_SOURCE_VOLTAGE_LIGHT", "IDC_SOURCE_CURRENT_LIGHT", "IDC_POWER_LIGHT",
    "IDC_SYSTEM_TEMP_LIGHT"};
constexpr int kMonitorY[SystemDlg::kMonitors] = {100, 111, 122, 133};

constexpr int kBandLabelIds[SystemDlg::kBands] = {1081, 1082, 1084, 1085, 1087, 1088, 1089, 1090};
constexpr int BandValueId(int k) {
    return 1091 + k;
}
constexpr int BandLightId(int k) {
    return 1099 + k;
}
constexpr int BandY(int k) {
    return 78 + 11 * (k - 1);
}

constexpr const char* kMonthNames[12] = {"Jan",  "Feb", "Mar", "Apr", "May",  "Jun",
                                         "Jul ", "Aug", "Sep", "Oct", "Nov ", "Dec "};

std::string Numbered(const char* prefix, int k) {
    return prefix + std::to_string(k);
}

// Template 139: a child pane, hidden until its tab shows it.
DialogTemplate SystemTemplate() {
    DialogTemplate t;
    t.cx = 376;
    t.cy = 220;
    t.style = WS_CHILD;
    // The frames first, so that the controls lie over them.
    t.items = {
        GROUPBOX("", IDC_STATIC, 25, 6, 165, 63),
        GROUPBOX("", IDC_STATIC, 192, 6, 165, 63),
        GROUPBOX("", IDC_STATIC, 25, 71, 165, 101),
        GROUPBOX("", IDC_STATIC, 192, 71, 165, 101),
    };
    for (int r = 0; r < SystemDlg::kIdentityRows; ++r) {
        const int y = 16 + 11 * r;
        t.items.push_back(LTEXT(kIdentityCaptions[r], kIdentityLabelIds[r], 36, y, 67, 8));
        t.items.push_back(LTEXT(kIdentityCaptions[r], kIdentityIds[r], 109, y, 67, 8,
                                kIdentityIds[r] == SystemDlg::kIdDeviceId ? SS_NOTIFY : 0));
    }
    t.items.push_back(
        CTEXT("TM80C2 Version/Environment Info", SystemDlg::kIdTitle, 203, 16, 135, 8));
    t.items.push_back(
        CTEXT("THIS IS REALLY LONG TEXT FOR THE DATE", SystemDlg::kIdDate, 203, 27, 135, 8));
    // The product ID on a line of its own across the frame, wrapped on to a
    // second: it runs to some 45 characters.
    t.items.push_back(LTEXT("Product ID", SystemDlg::kIdProductLabel, 203, 38, 135, 8));
    t.items.push_back(LTEXT("Product ID", SystemDlg::kIdProduct, 203, 49, 148, 17));
    t.items.push_back(LTEXT("Power/Temperature/Voltage Rail Monitoring",
                            SystemDlg::kIdMonitorHeading, 37, 78, 140, 8));
    for (int m = 0; m < SystemDlg::kMonitors; ++m) {
        t.items.push_back(LTEXT(kMonitorCaptions[m], kMonitorLabelIds[m], 36, kMonitorY[m], 67, 8));
        t.items.push_back(LTEXT(kMonitorCaptions[m], kMonitorIds[m], 127, kMonitorY[m], 49, 8));
        t.items.push_back(LTEXT("", kMonitorLightIds[m], 113, kMonitorY[m], 8, 8));
    }
    t.items.push_back(Hidden(LTEXT("", SystemDlg::kIdLightColumn, 139, 150, 8, 8)));
    for (int k = 1; k <= SystemDlg::kBands; ++k) {
        const std::string caption = "RF Band " + std::to_string(k) + " (MHz)";
        t.items.push_back(LTEXT(caption, kBandLabelIds[k - 1], 203, BandY(k), 55, 8));
        t.items.push_back(LTEXT("RF Band 1 (MHz)", BandValueId(k), 267, BandY(k), 65, 8));
        t.items.push_back(LTEXT("", BandLightId(k), 339, BandY(k), 8, 8));
    }
    t.items.push_back(LTEXT("Processor Firmware ID", SystemDlg::kIdFirmwareLabel, 32, 178, 74, 8));
    t.items.push_back(LTEXT("xxxxxxx", SystemDlg::kIdFirmware, 124, 178, 49, 8));
    t.items.push_back(
        AUTOCHECKBOX("Display Calibration Tab", SystemDlg::kIdDisplayCalibration, 191, 178, 89, 8));
    t.items.push_back(PUSHBUTTON("Hard Copy", SystemDlg::kIdHardCopy, 298, 177, 45, 10));
    // Below the health readings, inside their frame ("\205" is the ellipsis).
    t.items.push_back(PUSHBUTTON("History\205", SystemDlg::kIdHistory, 127, 153, 49, 12));
    return t;
}

} // namespace

SystemDlg::SystemDlg(int unitIndex)
    : CDialogEx(SystemTemplate()), unitIndex_(unitIndex), unit_(nullptr) {
    if (const UnitSlot* slot = Slot()) {
        unit_ = slot->Unit();
    }
    Setup(this, "SYSTEM");
}

SystemDlg::~SystemDlg() {
    KillTimer(kStatusTimer);
}

UnitSlot* SystemDlg::Slot() const {
    return TheSlotTable().Slot(unitIndex_);
}

DefaultDlg* SystemDlg::DeviceWindow() const {
    return dynamic_cast<DefaultDlg*>(GetParent());
}

void SystemDlg::DoDataExchange(CDataExchange* dx) {
    for (std::size_t r = 0; r < identity_.size(); ++r) {
        DDX_Control(dx, kIdentityLabelIds[r], identityLabels_[r]);
        DDX_Control(dx, kIdentityIds[r], identity_[r]);
    }
    DDX_Control(dx, kIdTitle, title_);
    DDX_Control(dx, kIdDate, date_);
    DDX_Control(dx, kIdProductLabel, productLabel_);
    DDX_Control(dx, kIdProduct, product_);
    DDX_Control(dx, kIdMonitorHeading, monitorHeading_);
    for (std::size_t m = 0; m < kMonitors; ++m) {
        DDX_Control(dx, kMonitorLabelIds[m], monitorLabels_[m]);
        DDX_Control(dx, kMonitorIds[m], monitorValues_[m]);
        DDX_Control(dx, kMonitorLightIds[m], monitorLights_[m]);
    }
    DDX_Control(dx, kIdLightColumn, lightColumn_);
    for (int k = 1; k <= kBands; ++k) {
        DDX_Control(dx, kBandLabelIds[k - 1], bandLabels_[static_cast<std::size_t>(k - 1)]);
        DDX_Control(dx, BandValueId(k), BandValue(k));
        DDX_Control(dx, BandLightId(k), BandLight(k));
    }
    DDX_Control(dx, kIdFirmwareLabel, firmwareLabel_);
    DDX_Control(dx, kIdFirmware, firmware_);
    DDX_Control(dx, kIdDisplayCalibration, displayCalibration_);
}

void SystemDlg::FillControlTable() {
    using enum ControlType;
    std::vector<ControlEntry> table;
    for (std::size_t r = 0; r < identity_.size(); ++r) {
        table.push_back({kIdentityLabelKeys[r], &identityLabels_[r], LeftLabel, 0, kMainStyle});
        table.push_back({kIdentityKeys[r], &identity_[r],
                         kIdentityIds[r] == kIdDeviceId ? ValueBlock : ValueField, 0, kMainStyle});
    }
    table.push_back({"IDL_TITLE", &title_, CentredLabel, 0, kMainStyle});
    table.push_back({"IDL_DATE", &date_, CentredLabel, 0, kMainStyle});
    table.push_back({"IDL_PRODUCT_ID", &productLabel_, LeftLabel, 0, kMainStyle});
    table.push_back({"IDC_PRODUCT_ID", &product_, ValueField, 0, kMainStyle});
    table.push_back({"IDL_PTV", &monitorHeading_, LeftLabel, 0, kMainStyle});
    for (std::size_t m = 0; m < kMonitors; ++m) {
        table.push_back({kMonitorLabelKeys[m], &monitorLabels_[m], LeftLabel, 0, kMainStyle});
        table.push_back({kMonitorKeys[m], &monitorValues_[m], ValueField, 0, kMainStyle});
        table.push_back({kMonitorLightKeys[m], &monitorLights_[m], Light, 0, kMainStyle});
    }
    // The keys must outlive the table, which keeps the pointers.
    static const std::array<std::string, 3 * kBands> keys = [] {
        std::array<std::string, 3 * kBands> k;
        for (int b = 1; b <= kBands; ++b) {
            k[static_cast<std::size_t>(b - 1)] = Numbered("IDL_RF_BAND_", b);
            k[static_cast<std::size_t>(kBands + b - 1)] = Numbered("IDC_RF_BAND_", b);
            k[static_cast<std::size_t>(2 * kBands + b - 1)] = Numbered("IDC_RF_BAND_LIGHT_", b);
        }
        return k;
    }();
    for (std::size_t b = 0; b < kBands; ++b) {
        table.push_back({keys[b].c_str(), &bandLabels_[b], LeftLabel, 0, kMainStyle});
        table.push_back({keys[kBands + b].c_str(), &bandValues_[b], ValueField, 0, kMainStyle});
        table.push_back({keys[2 * kBands + b].c_str(), &bandLights_[b], Light, 0, kMainStyle});
    }
    table.push_back({"IDL_FIRMWARE_ID", &firmwareLabel_, LeftLabel, 0, kMainStyle});
    table.push_back({"IDC_FIRMWARE_ID", &firmware_, ValueField, 0, kMainStyle});
    table.push_back({"IDC_DISPLAY_CAL_PAGE", &displayCalibration_, OptionButton6, 0, kMainStyle});
    SetControlTable(table.data(), static_cast<int>(table.size()));
}

bool SystemDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    FillControlTable();
    ApplyTooltipsAndScheme();
    UpdateStates();
    for (Staticball& light : bandLights_) {
        SetLightOff(light);
    }
    for (Staticball& light : monitorLights_) {
        SetLightOff(light);
    }
    UpdateValues();
    SetTimer(kStatusTimer, kStatusTimerMs);
    return true;
}

void SystemDlg::SetLight(Staticball& light, COLORREF fill) {
    light.SetLightColor(fill, kBlack);
}

void SystemDlg::SetLightOff(Staticball& light) {
    const COLORREF background = TheColorScheme().Main.Background;
    light.SetLightColor(background, HalfwayToWhite(background));
}

void SystemDlg::Start() {
    StatusRefresh();
}

void SystemDlg::Stop() {}

std::string SystemDlg::IdentityText(int row) const {
    return identity_[static_cast<std::size_t>(row)].GetWindowText();
}

void SystemDlg::UpdateValues() {
    const UnitSlot* slot = Slot();
    if (slot == nullptr || unit_ == nullptr || !IsWindow()) {
        return;
    }
    for (int k = 1; k <= kBands; ++k) {
        BandValue(k).SetWindowText(
            k - 1 < slot->bandCount
                ? UnitSlot::BandText(slot->bandEntries[static_cast<std::size_t>(k - 1)])
                : std::string(kNoBand));
    }
    ShowBandLights();
    identity_[0].SetWindowText(kVersionText);
    identity_[1].SetWindowText(unit_->SerialNumberText());
    identity_[2].SetWindowText(slot->userNote);
    identity_[3].SetWindowText(slot->addressText);
    product_.SetWindowText(unit_->identity.productIdentifier.data());
    if (unit_->identity.identityRead == 0) {
        unit_->ReadIdentity();
    }
    firmware_.SetWindowText(unitprotocol::FirmwareText(unit_->identity.firmware));
}

void SystemDlg::UpdateStates() {
    if (unit_ == nullptr || !IsWindow()) {
        return;
    }
    const bool numeric = unit_->bandTable.monitoring != 0;
    for (Staticplus& value : monitorValues_) {
        value.ShowWindow(numeric ? SW_SHOW : SW_HIDE);
        value.EnableWindow(numeric);
    }
    for (int m = Voltage; m <= Power; ++m) {
        monitorLights_[static_cast<std::size_t>(m)].ShowWindow(numeric ? SW_HIDE : SW_SHOW);
        monitorLights_[static_cast<std::size_t>(m)].EnableWindow(!numeric);
    }
    if (numeric) {
        return;
    }
    // Without values the lights stand in the column of the place-holder.
    const CRect column = ChildRect(*this, lightColumn_);
    for (Staticball& light : monitorLights_) {
        const CRect r = ChildRect(*this, light);
        light.MoveWindow(CRect(column.left, r.top, column.left + r.Width(), r.bottom));
    }
}

bool SystemDlg::UnitSilent() const {
    const DefaultDlg* window = DeviceWindow();
    return UnitLost(unitIndex_) || (window != nullptr && window->GetPeriodicReads().IsQuiet());
}

void SystemDlg::ShowBandLights() {
    const UnitSlot* slot = Slot();
    const bool silent = UnitSilent();
    for (int k = 1; k <= kBands; ++k) {
        if (slot != nullptr && k - 1 < slot->bandCount && !silent) {
            SetLight(BandLight(k), kGreen);
        } else {
            SetLightOff(BandLight(k));
        }
    }
}

std::string SystemDlg::DateLine(const SYSTEMTIME& time) {
    const int month = time.wMonth >= 1 && time.wMonth <= 12 ? time.wMonth - 1 : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%s %02d,%d %02d:%02d:%02d", kMonthNames[month], time.wDay,
                  time.wYear, time.wHour, time.wMinute, time.wSecond);
    return text;
}

void SystemDlg::StepAlarmBlinkCounter() {
    int& counter = AlarmBlinkCounter();
    counter = counter == INT_MAX ? 1 : counter + 1;
}

bool SystemDlg::ShowHealth(bool known) {
    const UnitStatus& status = unit_->status;
    if (!known) {
        // Nothing the unit said: unknown readings and unlit lights, never
        // the zeros of a failed read.
        for (Staticball& light : monitorLights_) {
            SetLightOff(light);
        }
        if (unit_->bandTable.monitoring != 0) {
            for (Staticplus& value : monitorValues_) {
                value.SetWindowText(kUnknownReading);
            }
        }
        return false;
    }
    if (unit_->bandTable.monitoring == 0) {
        for (Staticball& light : monitorLights_) {
            SetLight(light, kGreen);
        }
        return false;
    }
    const bool hot = status.OverTemperature();
    SetLight(monitorLights_[Temperature], hot ? kYellow : kGreen);
    char text[32];
    // The degree sign is the code page's byte 0xB0 (octal 260).
    std::snprintf(text, sizeof text, "%d \260C", static_cast<int>(status.temperature));
    monitorValues_[Temperature].SetWindowText(text);
    std::snprintf(text, sizeof text, "%.1f V", status.voltage);
    monitorValues_[Voltage].SetWindowText(text);
    std::snprintf(text, sizeof text, "%.1f A", status.current);
    monitorValues_[Current].SetWindowText(text);
    std::snprintf(text, sizeof text, "%.1f W", status.voltage * status.current);
    monitorValues_[Power].SetWindowText(text);
    return hot;
}

void SystemDlg::Blink(bool alarm) {
    DefaultDlg* window = DeviceWindow();
    if (window != nullptr) {
        if (alarm && AlarmBlinkCounter() % 2 == 0) {
            window->GetStatusHeader().SetAlarmColors(kBlack, kYellow);
        } else {
            // The off phase of the blink, and the label's quiet look.
            const COLORREF background = TheColorScheme().Main.Background;
            window->GetStatusHeader().SetAlarmColors(background, background);
        }
    }
    StepAlarmBlinkCounter();
}

void SystemDlg::StatusRefresh() {
    if (unit_ == nullptr || !IsWindow()) {
        return;
    }
    DefaultDlg* window = DeviceWindow();
    if (window == nullptr) {
        TakeStatus(unit_->ReadStatus());
        return;
    }
    // The read goes out and the page takes it once it is back. A unit that
    // has stopped answering is read only now and then; meanwhile it shows
    // what a failed read shows.
    window->GetPeriodicReads().Ask(PeriodicReads::Kind::StatusRead, [this](int read) {
        if (read < 0) {
            unit_->status = UnitStatus{};
        }
        TakeStatus(read);
    });
}

void SystemDlg::TakeStatus(int read) {
    // A read left out while the unit is quiet goes in too: the history shows
    // the quiet span as such, not as a time nothing was read.
    if (UnitSlot* slot = Slot()) {
        slot->RecordStatus(read);
        metrics::RecordStatusRead(*slot, read);
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    date_.SetWindowText(DateLine(now));
    // Readings only from a read the unit answered, and never while it is
    // lost or quiet.
    const bool silent = UnitSilent();
    hot_ = ShowHealth(read > 0 && !silent);
    ShowBandLights();
    Blink(hot_ || UnitLost(unitIndex_));
    if (DefaultDlg* window = DeviceWindow()) {
        window->ReportCondition();
    }
}

void SystemDlg::EditNote() {
    UnitSlot* slot = Slot();
    if (slot == nullptr || unit_ == nullptr) {
        return;
    }
    std::string entered;
    if (!EnterText(GetText("CP_USERNOTES", "User Notes"),
                   GetText("PR_USERNOTES", "Enter the note for this unit:"),
                   unit_->identity.userNote.data(), entered, kNoteWindowWidth, 1, nullptr)) {
        return;
    }
    // A failed write empties the model's note and keeps the slot's: the
    // connection watch then reports the unit lost.
    if (unit_->WriteUserNote(entered) != 0) {
        slot->userNote = unit_->identity.userNote.data();
    }
    slot->RefreshMainWindow();
    if (DefaultDlg* window = DeviceWindow()) {
        window->UpdateHeader();
    }
    UpdateValues();
}

void SystemDlg::SwitchCalibrationTab() {
    if (DefaultDlg* window = DeviceWindow()) {
        window->ShowCalibrationTab(displayCalibration_.GetCheck() == BST_CHECKED);
    }
}

void SystemDlg::MakeHardCopy() {
    const UnitSlot* slot = Slot();
    if (slot == nullptr || unit_ == nullptr) {
        return;
    }
    HardCopy::Save(*this, *slot, unit_->KnownSerialText(), date_.GetWindowText());
}

bool SystemDlg::OnCommand(int id, int code) {
    if (id == kIdDeviceId && code == STN_CLICKED) {
        EditNote();
        return true;
    }
    if (id == kIdDisplayCalibration && code == BN_CLICKED) {
        SwitchCalibrationTab();
        return true;
    }
    if (id == kIdHardCopy && code == BN_CLICKED) {
        MakeHardCopy();
        return true;
    }
    if (id == kIdHistory && code == BN_CLICKED) {
        if (DefaultDlg* window = DeviceWindow()) {
            window->ShowHistory();
        }
        return true;
    }
    return CDialogEx::OnCommand(id, code);
}

void SystemDlg::OnTimer(UINT_PTR id) {
    if (id == kStatusTimer) {
        StatusRefresh();
        return;
    }
    KillTimer(id);
}
