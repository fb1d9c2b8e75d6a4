#include "devicewindow/Info.h"

#include "device/SlotTable.h"
#include "infra/ColorScheme.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/DialogTemplate.h"

using namespace win;

namespace {

// Two lines, caption and value, in the strip right of the tab strip.
DialogTemplate InfoTemplate() {
    DialogTemplate t;
    t.cx = 250;
    t.cy = 24;
    t.style = WS_CHILD; // borderless; the device window places and shows it
    t.items = {
        LTEXT("HW IP Address: ", Info::kIdAddressCaption, 2, 1, 58, 9),
        LTEXT("", Info::kIdAddress, 64, 1, 120, 9, SS_LEFTNOWORDWRAP),
        LTEXT("Device ID: ", Info::kIdDeviceIdCaption, 2, 12, 58, 9),
        LTEXT("", Info::kIdDeviceId, 64, 12, 120, 9, SS_LEFTNOWORDWRAP),
    };
    return t;
}

} // namespace

Info::Info(int unitIndex, CWnd* parent) : CDialogEx(InfoTemplate(), parent), unitIndex_(unitIndex) {
    Setup(this, "KD5_INFO");
}

void Info::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, kIdAddressCaption, addressCaption_);
    DDX_Control(dx, kIdAddress, address_);
    DDX_Control(dx, kIdDeviceIdCaption, deviceIdCaption_);
    DDX_Control(dx, kIdDeviceId, deviceId_);
}

bool Info::OnInitDialog() {
    CDialogEx::OnInitDialog();
    const ControlEntry table[] = {
        {"IDL_HW_IP", &addressCaption_, ControlType::LeftLabel, 0, kMainStyle},
        {"IDL_DEVICE_ID", &deviceIdCaption_, ControlType::LeftLabel, 0, kMainStyle},
        {"IDC_HW_IP", &address_, ControlType::ValueField, 0, kMainStyle},
        {"IDC_DEVICE_ID", &deviceId_, ControlType::ValueField, 0, kMainStyle},
    };
    SetControlTable(table);
    EnableToolTips(true);
    UpdateValues();
    Invalidate();
    ApplyScheme();
    return true;
}

void Info::UpdateValues() {
    const UnitSlot* slot = TheSlotTable().Slot(unitIndex_);
    address_.SetWindowText(slot != nullptr ? slot->addressText : std::string());
    deviceId_.SetWindowText(slot != nullptr ? slot->userNote : std::string());
}
