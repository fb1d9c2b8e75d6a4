#include "app/dialogs/Config.h"

#include "app/startup/StartupNetwork.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CWaitCursor.h"
#include "toolkit/EntryDialogs.h"

#include <algorithm>

using namespace win;

namespace {

constexpr int kWidth = 230;
constexpr int kFrameX = 7, kFrameY = 44, kFrameW = kWidth - 14, kFrameH = 58;
constexpr int kLabelX = 16, kLabelW = 60, kValueX = 80, kValueW = 128;
constexpr int kLineY[3] = {kFrameY + 10, kFrameY + 24, kFrameY + 38};
constexpr int kLineH = 10;
constexpr int kButtonY = 126, kButtonW = 50, kButtonH = 14;

DialogTemplate ConfigTemplate() {
    DialogTemplate t;
    t.caption = "Communications Setup";
    t.cx = kWidth;
    t.cy = kButtonY + kButtonH + 7;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.items = {
        LTEXT("Communications Setup", Config::kIdTitle, 7, 7, kWidth - 14, 10, SS_LEFTNOWORDWRAP),
        LTEXT("Primary Interface", Config::kIdPrimaryInterface, 7, 25, 64, 8, SS_LEFTNOWORDWRAP),
        AUTORADIOBUTTON("Network Scan", Config::kIdNetworkScan, 76, 24, 66, 10, WS_GROUP),
        AUTORADIOBUTTON("Network Direct IP", Config::kIdNetworkDirect, 146, 24, 78, 10),
        CONTROL("", Config::kIdScanFrame, ControlKind::Static,
                WS_CHILD | WS_VISIBLE | SS_ETCHEDFRAME, kFrameX, kFrameY, kFrameW, kFrameH),
        Hidden(CONTROL("", Config::kIdDirectFrame, ControlKind::Static, WS_CHILD | SS_ETCHEDFRAME,
                       kFrameX, kFrameY, kFrameW, kFrameH)),
        LTEXT("Network Configuration", Config::kIdNetworkHeading, kFrameX + 4, kFrameY - 10, 90, 8,
              SS_LEFTNOWORDWRAP),
        LTEXT("Network ID", Config::kIdNoteLabel, kLabelX, kLineY[0] + 1, kLabelW, 8,
              SS_LEFTNOWORDWRAP),
        LTEXT("", Config::kIdNoteValue, kValueX, kLineY[0], kValueW, kLineH, SS_NOTIFY),
        LTEXT("IP Address", Config::kIdAddressLabel, kLabelX, kLineY[1] + 1, kLabelW, 8,
              SS_LEFTNOWORDWRAP),
        LTEXT("", Config::kIdAddressValue, kValueX, kLineY[1], kValueW, kLineH, SS_NOTIFY),
        LTEXT("Serial Number", Config::kIdSerialLabel, kLabelX, kLineY[2] + 1, kLabelW, 8,
              SS_LEFTNOWORDWRAP),
        LTEXT("", Config::kIdSerialValue, kValueX, kLineY[2], kValueW, kLineH, SS_NOTIFY),
        // Direct mode moves these two onto the first line of the frame.
        Hidden(LTEXT("IP Address", Config::kIdDirectLabel, kLabelX, kLineY[2] + 1, kLabelW, 8,
                     SS_LEFTNOWORDWRAP)),
        Hidden(CONTROL("", Config::kIdDirectAddress, ControlKind::IpAddress, WS_CHILD | WS_TABSTOP,
                       kValueX, kLineY[2], 80, 12)),
        Hidden(LTEXT("", Config::kIdMessage, 7, kFrameY + kFrameH + 6, kWidth - 14, 8,
                     SS_LEFTNOWORDWRAP)),
        PUSHBUTTON("Rescan", Config::kIdRescan, 7, kButtonY, kButtonW, kButtonH),
        DEFPUSHBUTTON("OK", IDOK, kWidth - 2 * kButtonW - 11, kButtonY, kButtonW, kButtonH),
        PUSHBUTTON("Cancel", IDCANCEL, kWidth - kButtonW - 7, kButtonY, kButtonW, kButtonH),
    };
    return t;
}

} // namespace

Config::Config(CWnd* parent) : CDialogEx(ConfigTemplate(), parent) {
    Setup(this, kSection);
}

void Config::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, kIdTitle, title_);
    DDX_Control(dx, kIdPrimaryInterface, primaryInterface_);
    DDX_Control(dx, kIdNetworkScan, networkScan_);
    DDX_Control(dx, kIdNetworkDirect, networkDirect_);
    DDX_Control(dx, kIdScanFrame, scanFrame_);
    DDX_Control(dx, kIdDirectFrame, directFrame_);
    DDX_Control(dx, kIdNetworkHeading, networkHeading_);
    DDX_Control(dx, kIdNoteLabel, noteLabel_);
    DDX_Control(dx, kIdNoteValue, noteValue_);
    DDX_Control(dx, kIdAddressLabel, addressLabel_);
    DDX_Control(dx, kIdAddressValue, addressValue_);
    DDX_Control(dx, kIdSerialLabel, serialLabel_);
    DDX_Control(dx, kIdSerialValue, serialValue_);
    DDX_Control(dx, kIdDirectLabel, directLabel_);
    DDX_Control(dx, kIdDirectAddress, directAddressCtrl_);
    DDX_Control(dx, kIdMessage, message_);
}

bool Config::OnInitDialog() {
    CDialogEx::OnInitDialog();
    FillLists();

    using enum ControlType;
    const ControlEntry table[] = {
        {"IDL_TITLE", &title_, DialogLabel, 0, kDialogStyle},
        {"IDL_NETWORK", &networkHeading_, DialogLabel, 0, kDialogStyle},
        {"IDL_USER_NOTE", &noteLabel_, DialogLabel, 0, kDialogStyle},
        {"IDL_IP_ADDRESS", &addressLabel_, DialogLabel, 0, kDialogStyle},
        {"IDL_SERIAL_NUMBER", &serialLabel_, DialogLabel, 0, kDialogStyle},
        {"IDL_DIRECT_IP", &directLabel_, DialogLabel, 0, kDialogStyle},
        {"IDL_MESSAGE", &message_, DialogLabel, 0, kDialogStyle},
        {"IDL_PRIMARY_INTERFACE", &primaryInterface_, DialogLabel, 0, kDialogStyle},
        {"IDC_USER_NOTE", &noteValue_, ValueBlock, 0, kDialogStyle},
        {"IDC_IP_ADDRESS", &addressValue_, ValueBlock, 0, kDialogStyle},
        {"IDC_SERIAL_NUMBER", &serialValue_, ValueBlock, 0, kDialogStyle},
        {"IDC_NETWORK_SCAN", &networkScan_, OptionButton5, 0, kDialogStyle},
        {"IDC_NETWORK_DIRECT", &networkDirect_, OptionButton5, 0, kDialogStyle},
    };
    SetControlTable(table);
    UpdateValues();
    ApplyTooltipsAndScheme();
    LayOutForScan();
    return true;
}

void Config::FillLists() {
    const DiscoveryList& found = DiscoveryList::Instance();
    entries_ = TheSlotTable().Offered(found);
    // More units than the lists hold: the first ones are offered.
    if (entries_.size() > static_cast<std::size_t>(kMaxUnits)) {
        entries_.resize(kMaxUnits);
    }
    notes_.clear();
    addresses_.clear();
    serials_.clear();
    for (int k : entries_) {
        const DiscoveredUnit& unit = found.At(k);
        notes_.push_back(unit.NoteText());
        addresses_.push_back(unit.addressText);
        serials_.push_back(unit.UnitSerialText());
    }
}

int Config::GetSelectedEntry() const {
    const bool listed = selected_ >= 0 && selected_ < static_cast<int>(entries_.size());
    const int entry = listed ? entries_[static_cast<std::size_t>(selected_)] : -1;
    return entry < DiscoveryList::Instance().Count() ? entry : -1;
}

void Config::UpdateValues() {
    if (!IsWindow()) {
        return;
    }
    networkScan_.SetCheck(mode_ == kNetworkScan ? BST_CHECKED : BST_UNCHECKED);
    networkDirect_.SetCheck(mode_ == kNetworkDirect ? BST_CHECKED : BST_UNCHECKED);
    const int count = static_cast<int>(notes_.size());
    if (count == 0) {
        noteValue_.SetWindowText(kNoDeviceText);
        addressValue_.SetWindowText(kNoDeviceText);
        serialValue_.SetWindowText(kNoDeviceText);
        return;
    }
    // A rescan may leave the index past a shorter list: nothing to show then.
    const bool inRange = selected_ >= 0 && selected_ < count;
    const auto at = static_cast<std::size_t>(selected_);
    noteValue_.SetWindowText(inRange ? notes_[at] : "");
    addressValue_.SetWindowText(inRange ? addresses_[at] : "");
    serialValue_.SetWindowText(inRange ? serials_[at] : "");
}

void Config::LayOutForScan() {
    for (CWnd* shown :
         std::initializer_list<CWnd*>{&scanFrame_, &noteLabel_, &addressLabel_, &serialLabel_,
                                      &noteValue_, &addressValue_, &serialValue_}) {
        shown->ShowWindow(SW_SHOW);
    }
    for (CWnd* hidden :
         std::initializer_list<CWnd*>{&directFrame_, &directLabel_, &directAddressCtrl_}) {
        hidden->ShowWindow(SW_HIDE);
    }
}

void Config::LayOutForDirect() {
    for (CWnd* hidden :
         std::initializer_list<CWnd*>{&noteLabel_, &noteValue_, &addressValue_, &serialValue_,
                                      &addressLabel_, &serialLabel_, &scanFrame_}) {
        hidden->ShowWindow(SW_HIDE);
    }
    // The address takes the first line of the frame.
    directLabel_.MoveWindow(ChildRect(*this, noteLabel_));
    directAddressCtrl_.MoveWindow(ChildRect(*this, noteValue_));
    directFrame_.ShowWindow(SW_SHOW);
    directLabel_.ShowWindow(SW_SHOW);
    directAddressCtrl_.ShowWindow(SW_SHOW);
}

void Config::SetMode(int mode) {
    mode_ = mode;
    UpdateValues();
    if (mode_ == kNetworkScan) {
        LayOutForScan();
    } else {
        LayOutForDirect();
    }
}

void Config::Pick(int id) {
    struct Picker {
        int id;
        const std::vector<std::string>* list;
        const char* key;
        const char* prompt;
    };
    // The address picker's prompt key is PR_SERIALNO as well.
    const Picker pickers[] = {
        {kIdNoteValue, &notes_, "PR_USERNOTE", "Select TM80 ID:"},
        {kIdAddressValue, &addresses_, "PR_SERIALNO", "Select TM80 Device:"},
        {kIdSerialValue, &serials_, "PR_SERIALNO", "Select the TM80 Device:"},
    };
    for (const Picker& picker : pickers) {
        if (picker.id != id) {
            continue;
        }
        int chosen = 0;
        if (ChooseFromList(selected_, *picker.list, kPickerTitle,
                           GetText(picker.key, picker.prompt),
                           static_cast<int>(picker.list->size()), chosen, this)) {
            selected_ = chosen;
            UpdateValues();
        }
        return;
    }
}

void Config::Rescan() {
    CWaitCursor wait;
    TheStartupNetwork().Discover();
    // The main window, which opened this dialog: its "Devices Found" follows at once.
    if (auto* mainWindow = dynamic_cast<Dlgplus*>(GetParent())) {
        mainWindow->UpdateValues();
    }
    FillLists();
    UpdateValues();
}

void Config::ShowMessage(const std::string& text) {
    message_.SetWindowText(text);
    const int index = FindControlByName("IDL_MESSAGE");
    if (index >= 0) {
        ApplyControlText(index, true);
    }
    message_.ShowWindow(SW_SHOW);
}

bool Config::OnCommand(int id, int code) {
    if (code == BN_CLICKED) { // STN_CLICKED has the same value
        switch (id) {
        case kIdNetworkScan:
            SetMode(kNetworkScan);
            return true;
        case kIdNetworkDirect:
            SetMode(kNetworkDirect);
            return true;
        case kIdNoteValue:
        case kIdAddressValue:
        case kIdSerialValue:
            Pick(id);
            return true;
        case kIdRescan:
            Rescan();
            return true;
        default:
            break;
        }
    }
    return CDialogEx::OnCommand(id, code);
}

void Config::OnOK() {
    directAddress_ = directAddressCtrl_.GetAddressText();
    if (mode_ == kNetworkScan) {
        // Never hand the main window an index with no entry behind it.
        if (GetSelectedEntry() < 0) {
            ShowMessage(kNothingToAddText);
            return;
        }
    }
    CDialogEx::OnOK();
}
