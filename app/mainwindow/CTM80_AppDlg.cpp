#include "app/mainwindow/CTM80_AppDlg.h"

#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/Config.h"
#include "app/dialogs/DeviceColorMenu.h"
#include "app/dialogs/LaunchOptions.h"
#include "app/dialogs/ProgressBox.h"
#include "app/mainwindow/AppIcon.h"
#include "app/mainwindow/MainWindowLayout.h"
#include "app/mainwindow/Resources.h"
#include "app/mainwindow/SetupMenuCommands.h"
#include "app/startup/StartupNetwork.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/QtGuiThread.h"
#include "infra/ColorScheme.h"
#include "infra/Environment.h"
#include "infra/ErrorLog.h"
#include "infra/SystemConfiguration.h"
#include "metrics/MetricsEndpoint.h"
#include "platform/WinSock.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CWinApp.h"
#include "toolkit/TextUnit.h"

#include "Version.h"

#include <cstdio>
#include <utility>

using namespace win;
using namespace res;

namespace {

// Label looks.
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kTurnedUp = 270;

std::string Format(const char* format, const std::string& text) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, text.c_str());
    return buffer;
}

std::string Format(const char* format, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// The short name of the band that the slot selects for output k.
std::string OutputBandName(const UnitSlot& slot, int output) {
    const int selected = slot.bandSelection[static_cast<std::size_t>(output)];
    if (selected < 0 || selected >= UnitSlot::kBands) {
        return "";
    }
    return slot.bandEntries[static_cast<std::size_t>(selected)].name;
}

} // namespace

CTM80_AppDlg::CTM80_AppDlg(CWnd* parent) : CDialogEx(MainWindowTemplate(), parent) {
    AfxSetMainWnd(this);
    Setup(this, kSection);
    const Palette& main = TheColorScheme().Main;
    unlitFill_ = main.Background;
    unlitOutline_ = HalfwayToWhite(main.Background);
    SetTextUnit(kTextUnit);

    menu_.LoadMenu(MainWindowMenu());
    SetMenu(&menu_);
}

CTM80_AppDlg::~CTM80_AppDlg() {
    // The units go while their windows can still be destroyed properly.
    TheSlotTable().Clear();
    if (AfxGetMainWnd() == this) {
        AfxSetMainWnd(nullptr);
    }
    if (socketsStarted_) {
        WSACleanup();
    }
    SetMenu(nullptr);
}

void CTM80_AppDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOGO, logo_);
    DDX_Control(dx, IDC_LOGO_END, logoEnd_);
    DDX_Control(dx, IDC_DEVICE_IDENTIFICATION, deviceIdentification_);
    DDX_Control(dx, IDC_MODE_1_8_HEADER, mode18Header_);
    DDX_Control(dx, IDC_MODE_2_4_HEADER, mode24Header_);
    for (int k = 0; k < kOutputs; ++k) {
        DDX_Control(dx, IDC_OUTPUT_HEADER_1 + k, outputHeaders_[static_cast<std::size_t>(k)]);
    }
    for (int r = 0; r < kUnitPositions; ++r) {
        Row& row = rows_[static_cast<std::size_t>(r)];
        DDX_Control(dx, IDC_REMOVE[r], row.remove);
        DDX_Control(dx, IDC_STATE[r], row.state);
        DDX_Control(dx, IDC_DEVICE_ID[r], row.deviceId);
        DDX_Control(dx, IDC_ADDRESS[r], row.address);
        DDX_Control(dx, IDC_DEVICE_BUTTON[r], row.deviceButton);
        DDX_Control(dx, IDC_MODE_1_8[r], row.mode18);
        DDX_Control(dx, IDC_MODE_2_4[r], row.mode24);
        for (int k = 0; k < kOutputs; ++k) {
            DDX_Control(dx, IDC_OUTPUT_FIRST[r] + k, row.outputs[static_cast<std::size_t>(k)]);
        }
        DDX_Control(dx, IDC_FRAME_ALL[r], row.frameAll);
        DDX_Control(dx, IDC_FRAME_FIRST_HALF[r], row.frameFirstHalf);
        DDX_Control(dx, IDC_FRAME_SECOND_HALF[r], row.frameSecondHalf);
    }
    DDX_Control(dx, IDC_ADD_DEVICE, addDevice_);
    DDX_Control(dx, IDC_LOCAL_SW_IP, localAddress_);
    DDX_Control(dx, IDC_DEVICES_FOUND, devicesFound_);
}

bool CTM80_AppDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    SetIcon(AppIcon(), true);
    SetIcon(AppIcon(), false);

    LoadSettings(nullptr);
    PlaceLogo();
    StyleInitialLooks();
    LaunchDirectly();

    WSADATA data;
    socketsStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    TheStartupNetwork().Discover();

    FillControlTable();
    UpdateValues();
    UpdateStates();

    ApplyTooltipsAndScheme();
    // The tips exist from here on: the markers of the units launched get theirs.
    for (int r = 0; r < kUnitPositions; ++r) {
        if (TheSlotTable().Slot(r) != nullptr) {
            ShowCondition(r);
        }
    }

    ShowLocalAddress();
    SetWindowText(std::string(kTitlePrefix) + kVersionText);

    // Enter at the start opens the first unit's window (or adds a unit); it
    // never starts at a remove button.
    for (int r = 0; r < kUnitPositions; ++r) {
        if (TheSlotTable().Slot(r) != nullptr) {
            rows_[static_cast<std::size_t>(r)].deviceButton.SetFocus();
            return false;
        }
    }
    addDevice_.SetFocus();
    return false;
}

void CTM80_AppDlg::PlaceLogo() {
    logo_.StretchToMarker(logoEnd_);
    logo_.LoadPicture(TheEnvironment().ImagesFolder + "StartupLogo.jpg");
}

void CTM80_AppDlg::StyleInitialLooks() {
    const COLORREF background = TheColorScheme().Main.Background;
    for (CNewLabel& header : outputHeaders_) {
        StyleLabel(header, background, kWhite, kTurnedUp, kLabelBottom);
    }
    StyleLabel(mode18Header_, background, kWhite, kTurnedUp, kLabelBottom);
    StyleLabel(mode24Header_, background, kWhite, kTurnedUp, kLabelBottom);
    const SystemConfiguration& config = TheSystemConfiguration();
    for (int r = 0; r < kUnitPositions; ++r) {
        Row& row = rows_[static_cast<std::size_t>(r)];
        const DeviceColorPair& colours = config.DeviceColors[static_cast<std::size_t>(r)];
        StyleLabel(row.deviceId, colours.Background, colours.Text, 0, kLabelCentre);
        StyleLabel(row.address, colours.Background, colours.Text, 0, kLabelCentre);
        SetLight(row.mode18, false);
        SetLight(row.mode24, false);
        SetLight(row.state, false);
    }
}

void CTM80_AppDlg::ConnectFailed(const std::string& address, const char* format) {
    progressBox_.reset(); // the message says how it ended
    MessageBox(Format(format, address), kAddDeviceCaption, MB_OK);
}

bool CTM80_AppDlg::ConnectUnit(const std::string& address) {
    ReportNetworkProgress(NetworkProgress::Connecting(address));
    // The connect (up to 21 s for an address where nothing answers) runs on
    // the unit's own worker; the window goes on meanwhile.
    auto worker = std::make_unique<UnitWorker>(TheGuiThread());
    auto connection = worker->Connect(address);
    if (connection == nullptr || !connection->IsConnected()) {
        connection.reset();
        ConnectFailed(address);
        return false;
    }
    auto unit = std::make_unique<CTM80M1_Comm>(connection.get());
    return AddUnit(std::move(connection), std::move(unit), std::move(worker));
}

void CTM80_AppDlg::LaunchDirectly() {
    const SystemConfiguration& config = TheSystemConfiguration();
    if (!config.LaunchDirectly) {
        return;
    }
    // Never more than the four stored addresses, whatever the stored count.
    for (int k = 0; k < config.LaunchAddressCount(); ++k) {
        const std::string& address = config.DirectAddress[static_cast<std::size_t>(k)];
        // One unit, one row: an address listed twice is connected once.
        if (const int shown = TheSlotTable().Showing(address); shown >= 0) {
            char line[160];
            std::snprintf(line, sizeof line, kLaunchedTwiceText, address.c_str(), shown + 1);
            LogText(line, 0);
            continue;
        }
        ConnectUnit(address);
    }
}

void CTM80_AppDlg::FillControlTable() {
    static const char* const kLightNames[2][kUnitPositions] = {
        {"IDC_MODE_1_8_1", "IDC_MODE_1_8_2", "IDC_MODE_1_8_3", "IDC_MODE_1_8_4"},
        {"IDC_MODE_2_4_1", "IDC_MODE_2_4_2", "IDC_MODE_2_4_3", "IDC_MODE_2_4_4"}};
    static const auto kOutputNames = [] {
        std::array<std::array<char[16], kOutputs>, kUnitPositions> names{};
        for (int r = 0; r < kUnitPositions; ++r) {
            for (int k = 0; k < kOutputs; ++k) {
                std::snprintf(names[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)], 16,
                              "IDC_OUTPUT_%d_%d", r + 1, k + 1);
            }
        }
        return names;
    }();

    using enum ControlType;
    std::vector<ControlEntry> table;
    table.reserve(43);
    table.push_back(
        {"IDL_DEVICE_IDENTIFICATION", &deviceIdentification_, CentredLabel, 0, kMainStyle});
    table.push_back({"IDL_LOCAL_SW_IP", &localAddress_, LeftLabel, 0, kMainStyle});
    table.push_back({"IDL_DEVICES_FOUND", &devicesFound_, LeftLabel, 0, kMainStyle});
    for (int r = 0; r < kUnitPositions; ++r) {
        table.push_back(
            {kLightNames[0][r], &rows_[static_cast<std::size_t>(r)].mode18, Light, 0, kMainStyle});
    }
    for (int r = 0; r < kUnitPositions; ++r) {
        table.push_back(
            {kLightNames[1][r], &rows_[static_cast<std::size_t>(r)].mode24, Light, 0, kMainStyle});
    }
    for (int r = 0; r < kUnitPositions; ++r) {
        for (int k = 0; k < kOutputs; ++k) {
            table.push_back(
                {kOutputNames[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)],
                 &rows_[static_cast<std::size_t>(r)].outputs[static_cast<std::size_t>(k)],
                 ValueField, 0, kMainStyle});
        }
    }
    SetControlTable(table.data(), static_cast<int>(table.size()));
}

void CTM80_AppDlg::ShowLocalAddress() {
    // An address that cannot be found still writes the label, with an empty address.
    const std::string address = TheStartupNetwork().LocalAddress();
    localAddress_.SetWindowText(Format("Local Software IP: %s", address));
    FitLabel("IDL_LOCAL_SW_IP");
}

void CTM80_AppDlg::FitLabel(const char* name) {
    const int index = FindControlByName(name);
    if (index >= 0) {
        ApplyControlText(index, true);
    }
}

void CTM80_AppDlg::SetLight(Staticball& light, bool lit, bool silent) {
    if (lit) {
        light.SetLightColor(silent ? kSilentFill : kLitFill, kLitOutline);
    } else {
        light.SetLightColor(unlitFill_, unlitOutline_);
    }
}

bool CTM80_AppDlg::ShowCondition(int index) {
    const DefaultDlg* window = DeviceWindowOf(index);
    const UnitCondition condition =
        window != nullptr ? window->Condition() : UnitCondition::Answering;
    const bool silent = condition == UnitCondition::Lost || condition == UnitCondition::Quiet;
    Staticball& marker = rows_[static_cast<std::size_t>(index)].state;
    if (condition == UnitCondition::OverTemperature) {
        marker.SetLightColor(kHotFill, kLitOutline);
    } else {
        SetLight(marker, true, silent);
    }
    GetTooltip().AddTool(&marker, UnitConditionText(condition));
    return silent;
}

bool CTM80_AppDlg::AddUnit(std::unique_ptr<TCPCom> connection, std::unique_ptr<CTM80M1_Comm> unit,
                           std::unique_ptr<UnitWorker> worker) {
    SlotTable& table = TheSlotTable();
    const int index = table.Claim();
    if (index < 0) {
        // A fifth unit has no row: close its connection and say why.
        unit.reset();
        connection.reset();
        worker.reset();
        MessageBox(kTableFullText, kAddDeviceCaption, MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::string address = connection->GetAddress();
    SlotTable::Position& position = table.At(index);
    position.slot = std::make_unique<UnitSlot>(index, std::move(connection), std::move(unit),
                                               std::move(worker));
    ReportNetworkProgress(NetworkProgress::Reading(address));
    // The slot sits in the table before it opens: its device window reads it there.
    if (position.slot->Open(this) == 0) {
        // A module that accepts the connection for a unit that does not
        // answer, or a unit that answers too late or too slowly: a row would
        // show a healthy unit with nothing behind it.
        table.Release(index);
        ConnectFailed(address, kNoAnswerText);
        return false;
    }
    UpdateValues();
    UpdateStates();
    return true;
}

bool CTM80_AppDlg::RefuseToAdd(const std::string& address) {
    SlotTable& table = TheSlotTable();
    if (table.Full()) {
        MessageBox(kTableFullText, kAddDeviceCaption, MB_OK | MB_ICONWARNING);
        return true;
    }
    // A second connection to the same module would fight the first.
    if (const int shown = table.Showing(address); shown >= 0) {
        char text[96];
        std::snprintf(text, sizeof text, kAlreadyConnectedText, address.c_str(), shown + 1);
        MessageBox(text, kAddDeviceCaption, MB_OK | MB_ICONWARNING);
        return true;
    }
    return false;
}

void CTM80_AppDlg::AddDevice() {
    Config config(this);
    if (config.DoModal() != IDOK) {
        return;
    }
    DiscoveryList& found = DiscoveryList::Instance();
    std::string address = config.GetDirectAddress();
    if (config.GetMode() == Config::kNetworkScan) {
        // The dialog refuses OK without an entry; the list is not indexed past its end.
        const int entry = config.GetSelectedEntry();
        if (entry < 0) {
            return;
        }
        address = found.At(entry).addressText;
    }
    // Once it has a row, the unit is no longer offered nor counted as found.
    if (!RefuseToAdd(address) && ConnectShowingProgress(address)) {
        UpdateValues();
    }
}

bool CTM80_AppDlg::ConnectShowingProgress(const std::string& address) {
    progressBox_ = std::make_unique<ProgressBox>(kAddDeviceCaption);
    const bool added = ConnectUnit(address);
    progressBox_.reset();
    return added;
}

void CTM80_AppDlg::RemoveUnit(int index) {
    if (index < 0 || index >= kUnitPositions) {
        return;
    }
    const UnitSlot* slot = TheSlotTable().Slot(index);
    // An action that waits for the unit needs it until it ends.
    if (slot != nullptr && slot->Worker() != nullptr && slot->Worker()->Holding()) {
        return;
    }
    const std::string address = slot != nullptr ? slot->addressText : std::string();
    TheSlotTable().Release(index);
    // Once the slot is gone no read of the unit comes back to be recorded.
    if (!address.empty()) {
        metrics::ForgetUnit(address);
    }
    UpdateStates();
    UpdateValues();
}

DefaultDlg* CTM80_AppDlg::DeviceWindowOf(int index) {
    UnitSlot* slot = TheSlotTable().Slot(index);
    return slot != nullptr ? dynamic_cast<DefaultDlg*>(slot->DeviceWindow()) : nullptr;
}

void CTM80_AppDlg::ShowDeviceWindow(int index) {
    DefaultDlg* window = DeviceWindowOf(index);
    if (window == nullptr) {
        return;
    }
    SlotTable::Position& position = TheSlotTable().At(index);
    if (window->IsMinimized()) {
        window->Restore();
        position.windowShown = true;
    }
    if (!position.windowShown || !window->IsWindowVisible()) {
        window->ShowNormal();
        position.windowShown = true;
        return;
    }
    window->BringToFront();
}

std::unique_ptr<UnitDeviceWindow> CTM80_AppDlg::CreateDeviceWindow(UnitSlot& slot) {
    return DefaultDlg::CreateHidden(slot.Index());
}

void CTM80_AppDlg::RefreshMainWindow(UnitSlot&) {
    UpdateValues();
}

void CTM80_AppDlg::RefreshMainWindowStates(UnitSlot&) {
    UpdateStates();
}

void CTM80_AppDlg::UpdateValues() {
    if (!IsWindow()) {
        return;
    }
    const SystemConfiguration& config = TheSystemConfiguration();
    for (int r = 0; r < kUnitPositions; ++r) {
        UnitSlot* slot = TheSlotTable().Slot(r);
        if (slot == nullptr) {
            continue;
        }
        Row& row = rows_[static_cast<std::size_t>(r)];
        const DeviceColorPair& colours = config.DeviceColors[static_cast<std::size_t>(r)];
        StyleLabel(row.deviceId, colours.Background, colours.Text, 0, kLabelMiddle);
        StyleLabel(row.address, colours.Background, colours.Text, 0, kLabelMiddle);
        row.deviceId.SetLabelText(slot->userNote);
        row.address.SetLabelText(slot->addressText);
        for (int k = 0; k < kOutputs; ++k) {
            row.outputs[static_cast<std::size_t>(k)].SetWindowText(OutputBandName(*slot, k));
        }
        const bool silent = ShowCondition(r);
        const bool split24 = slot->split != 0;
        SetLight(row.mode18, !split24, silent);
        SetLight(row.mode24, split24, silent);
        if (DefaultDlg* window = DeviceWindowOf(r)) {
            window->UpdateHeader();
        }
    }
    const auto offered = TheSlotTable().Offered(DiscoveryList::Instance()).size();
    devicesFound_.SetWindowText(Format("Devices Found: %d", static_cast<int>(offered)));
    FitLabel("IDL_DEVICES_FOUND");
}

void CTM80_AppDlg::UpdateStates() {
    if (!IsWindow()) {
        return;
    }
    auto showIf = [](CWnd& control, bool shown) {
        control.EnableWindow(shown);
        control.ShowWindow(shown ? SW_SHOW : SW_HIDE);
    };
    for (int r = 0; r < kUnitPositions; ++r) {
        UnitSlot* slot = TheSlotTable().Slot(r);
        const bool filled = slot != nullptr;
        // The half frames follow the split as the unit model last read it.
        const bool split24 = filled && slot->Unit() != nullptr && slot->Unit()->settings.split != 0;
        Row& row = rows_[static_cast<std::size_t>(r)];
        showIf(row.deviceId, filled);
        showIf(row.address, filled);
        showIf(row.deviceButton, filled);
        showIf(row.remove, filled);
        showIf(row.state, filled);
        for (Staticplus& output : row.outputs) {
            showIf(output, filled);
        }
        showIf(row.mode18, filled);
        showIf(row.mode24, filled);
        showIf(row.frameAll, filled);
        showIf(row.frameFirstHalf, split24);
        showIf(row.frameSecondHalf, split24);
    }
    Invalidate(true);
}

void CTM80_AppDlg::LoadSettings(const char* path) {
    LoadConfiguration(path);
}

void CTM80_AppDlg::SaveSettings(const char* path) {
    SaveConfiguration(path);
}

void CTM80_AppDlg::ShowAbout() {
    CAboutDlg about(this);
    about.DoModal();
}

bool CTM80_AppDlg::AskRemoval(int index) {
    const UnitSlot* slot = TheSlotTable().Slot(index);
    if (slot == nullptr) {
        return false;
    }
    char text[96];
    std::snprintf(text, sizeof text, kRemoveQuestion, index + 1, slot->addressText.c_str());
    return MessageBox(text, kQuestionCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CTM80_AppDlg::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (key == VK_ESCAPE && IsWindowEnabled() &&
        MessageBox(kExitQuestion, kQuestionCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return true;
    }
    return CDialogEx::OnKeyDown(key, repeat, flags);
}

bool CTM80_AppDlg::OnCommand(int id, int code) {
    for (int r = 0; r < kUnitPositions; ++r) {
        if (id == IDC_REMOVE[r] && code == RemoveButton::kKeyboardClicked) {
            if (AskRemoval(r)) {
                RemoveUnit(r);
            }
            return true;
        }
    }
    if (code == BN_CLICKED) {
        for (int r = 0; r < kUnitPositions; ++r) {
            if (id == IDC_DEVICE_BUTTON[r]) {
                ShowDeviceWindow(r);
                return true;
            }
            if (id == IDC_REMOVE[r]) {
                RemoveUnit(r);
                return true;
            }
        }
        if (id >= 0 && SetupMenuCommands::Handle(this, static_cast<unsigned>(id))) {
            return true;
        }
        if (id == static_cast<int>(IDM_ABOUTBOX)) {
            ShowAbout();
            return true;
        }
        if (id == IDC_ADD_DEVICE) {
            AddDevice();
            return true;
        }
        if (id == static_cast<int>(ID_LAUNCH_OPTIONS)) {
            // Its own "Save Changes" writes the configuration.
            LaunchOptions options(this);
            options.DoModal();
            return true;
        }
        if (id == static_cast<int>(ID_CUSTOMIZE_DEVICE_COLOR)) {
            DeviceColorMenu colours(this);
            if (colours.DoModal() == IDOK) {
                UpdateValues();
            }
            return true;
        }
    }
    return CDialogEx::OnCommand(id, code);
}

void CTM80_AppDlg::OnCancel() {
    // Esc and the close box: the configuration is kept for the next run.
    SaveSettings(nullptr);
    CDialogEx::OnCancel();
}
