#include "app/dialogs/LaunchOptions.h"

#include "device/SlotTable.h"
#include "infra/SystemConfiguration.h"
#include "platform/ui/CDataExchange.h"
#include "toolkit/EntryDialogs.h"

#include <algorithm>
#include <cstdio>

using namespace win;

namespace {

constexpr const char* kZeroAddress = "0.0.0.0";
constexpr int kLabelX = 14, kLabelW = 64, kControlX = 84, kControlW = 80;
constexpr int kFirstAddressY = 44, kAddressPitch = 17;

DialogTemplate LaunchOptionsTemplate() {
    DialogTemplate t;
    t.caption = LaunchOptions::kTitle;
    t.cx = 178;
    t.cy = kFirstAddressY + 4 * kAddressPitch + 26;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.items = {
        AUTOCHECKBOX("Launch Directly To Devices", LaunchOptions::kIdLaunchDirect, 7, 7, 120, 10),
        LTEXT("Number of Devices", LaunchOptions::kIdCountLabel, kLabelX, 25, kLabelW, 8,
              SS_LEFTNOWORDWRAP),
        LTEXT("1", LaunchOptions::kIdCount, kControlX, 24, 20, 10, SS_NOTIFY),
    };
    for (int k = 0; k < LaunchOptions::kAddresses; ++k) {
        const int y = kFirstAddressY + k * kAddressPitch;
        t.items.push_back(LTEXT("Device IP #" + std::to_string(k + 1),
                                LaunchOptions::kIdAddressLabel[k], kLabelX, y + 2, kLabelW, 8,
                                SS_LEFTNOWORDWRAP));
        t.items.push_back(CONTROL("", LaunchOptions::kIdAddress[k], ControlKind::IpAddress,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP, kControlX, y, kControlW, 12));
    }
    const int buttonY = t.cy - 21;
    t.items.push_back(PUSHBUTTON("Copy IPs", LaunchOptions::kIdCopyIps, 7, buttonY, 50, 14));
    t.items.push_back(DEFPUSHBUTTON("Save Changes", IDOK, 65, buttonY, 52, 14));
    t.items.push_back(PUSHBUTTON("Cancel", IDCANCEL, 121, buttonY, 50, 14));
    return t;
}

// Puts a dotted address into the control; an empty or unreadable text clears it.
void ShowAddress(CIPAddressCtrl& control, const std::string& text) {
    int f[4] = {0, 0, 0, 0};
    if (text.empty() || std::sscanf(text.c_str(), "%d.%d.%d.%d", &f[0], &f[1], &f[2], &f[3]) != 4) {
        control.ClearAddress();
        return;
    }
    auto octet = [](int v) { return static_cast<BYTE>(std::clamp(v, 0, 255)); };
    control.SetAddress(octet(f[0]), octet(f[1]), octet(f[2]), octet(f[3]));
}

} // namespace

LaunchOptions::LaunchOptions(CWnd* parent) : CDialogEx(LaunchOptionsTemplate(), parent) {
    Setup(this, kSection);
    const SystemConfiguration& config = TheSystemConfiguration();
    launchDirectly_ = config.LaunchDirectly;
    launchCount_ = config.LaunchCount;
    for (std::size_t k = 0; k < addressTexts_.size(); ++k) {
        const std::string& stored = config.DirectAddress[k];
        addressTexts_[k] = stored == kZeroAddress ? "" : stored;
    }
}

void LaunchOptions::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, kIdLaunchDirect, launchDirect_);
    DDX_Control(dx, kIdCountLabel, countLabel_);
    DDX_Control(dx, kIdCount, count_);
    for (int k = 0; k < kAddresses; ++k) {
        DDX_Control(dx, kIdAddressLabel[k], addressLabels_[static_cast<std::size_t>(k)]);
        DDX_Control(dx, kIdAddress[k], addresses_[static_cast<std::size_t>(k)]);
    }
}

bool LaunchOptions::OnInitDialog() {
    CDialogEx::OnInitDialog();
    using enum ControlType;
    const ControlEntry table[] = {
        {"IDC_LAUNCH_DIRECT", &launchDirect_, OptionButton6, 0, kMainStyle},
        {"IDL_NUMBER_OF_DEVICES", &countLabel_, LeftLabel, 0, kMainStyle},
        {"IDC_NUMBER_OF_DEVICES", &count_, ValueBlock, 0, kMainStyle},
        {"IDL_DEVICE_IP_1", &addressLabels_[0], LeftLabel, 0, kMainStyle},
        {"IDL_DEVICE_IP_2", &addressLabels_[1], LeftLabel, 0, kMainStyle},
        {"IDL_DEVICE_IP_3", &addressLabels_[2], LeftLabel, 0, kMainStyle},
        {"IDL_DEVICE_IP_4", &addressLabels_[3], LeftLabel, 0, kMainStyle},
    };
    SetControlTable(table);
    UpdateValues();
    UpdateStates();
    ApplyTooltipsAndScheme();
    return true;
}

void LaunchOptions::UpdateValues() {
    if (!IsWindow()) {
        return;
    }
    launchDirect_.SetCheck(launchDirectly_ ? BST_CHECKED : BST_UNCHECKED);
    count_.SetWindowText(std::to_string(launchCount_));
    for (std::size_t k = 0; k < addresses_.size(); ++k) {
        ShowAddress(addresses_[k], addressTexts_[k]);
    }
}

void LaunchOptions::UpdateStates() {
    if (!IsWindow()) {
        return;
    }
    auto enable = [](CWnd& control, bool enabled) {
        control.EnableWindow(enabled);
        if (auto* plus = dynamic_cast<Tplus*>(&control)) {
            plus->SetDisabled(!enabled);
        }
    };
    enable(countLabel_, launchDirectly_);
    enable(count_, launchDirectly_);
    for (int k = 0; k < kAddresses; ++k) {
        const bool used = launchDirectly_ && k < launchCount_;
        enable(addressLabels_[static_cast<std::size_t>(k)], used);
        enable(addresses_[static_cast<std::size_t>(k)], used);
    }
}

void LaunchOptions::EnterCount() {
    int count = launchCount_;
    if (!EnterNumber(count, 1, 4, GetText("CP_LOWERTHRESHOLD", "Enter Number of Devices to Launch"),
                     "99")) {
        return;
    }
    launchCount_ = count;
    UpdateValues();
    UpdateStates();
}

void LaunchOptions::CopyIps() {
    launchCount_ = 0;
    for (int position = 0; position < kUnitPositions; ++position) {
        const UnitSlot* slot = TheSlotTable().Slot(position);
        if (slot == nullptr || slot->Connection() == nullptr) {
            continue;
        }
        addressTexts_[static_cast<std::size_t>(launchCount_++)] = slot->Connection()->GetAddress();
    }
    for (int k = launchCount_; k < kAddresses; ++k) {
        addressTexts_[static_cast<std::size_t>(k)].clear();
    }
    UpdateValues();
    UpdateStates();
}

bool LaunchOptions::OnCommand(int id, int code) {
    if (id == kIdLaunchDirect && code == BN_CLICKED) {
        launchDirectly_ = launchDirect_.GetCheck() == BST_CHECKED;
        UpdateValues();
        UpdateStates();
        return true;
    }
    if (id == kIdCount && code == STN_CLICKED) {
        if (launchDirectly_) {
            EnterCount();
        }
        return true;
    }
    if (id == kIdCopyIps && code == BN_CLICKED) {
        CopyIps();
        return true;
    }
    for (int k = 0; k < kAddresses; ++k) {
        if (id == kIdAddress[k] && code == EN_CHANGE) {
            // The working copy follows what is typed, so that a later
            // refresh (the check box, the count) shows it again.
            const auto& control = addresses_[static_cast<std::size_t>(k)];
            addressTexts_[static_cast<std::size_t>(k)] =
                control.IsBlank() ? "" : control.GetAddressText();
            return true;
        }
    }
    return CDialogEx::OnCommand(id, code);
}

void LaunchOptions::OnOK() {
    SystemConfiguration& config = TheSystemConfiguration();
    config.LaunchDirectly = launchDirectly_;
    config.LaunchCount = launchCount_;
    // All four controls are saved, also those above the count; blank is 0.0.0.0.
    for (std::size_t k = 0; k < addresses_.size(); ++k) {
        config.DirectAddress[k] = addresses_[k].GetAddressText();
    }
    CDialogEx::OnOK();
}
