#include "app/mainwindow/MainWindowLayout.h"

#include "app/mainwindow/Resources.h"

#include <string>

using namespace win;
using namespace res;

namespace layout {

namespace {

constexpr int kMargin = 7;
// Columns of a row.
constexpr int kRemoveX = kMargin, kRemoveW = 11;
// The state marker stands where the device ID column begins.
constexpr int kStateX = 21, kStateW = 8;
constexpr int kDeviceIdX = kStateX + kStateW + 1, kDeviceIdW = 67;
constexpr int kAddressX = 99, kAddressW = 62;
constexpr int kDeviceButtonX = 165, kDeviceButtonW = 40;
constexpr int kMode18X = 214, kMode24X = 228, kLightW = 9;
constexpr int kOutputW = 17, kOutputPitch = 19, kOutputGap = 5, kFirstOutputX = 244;
// Column headers: written upwards, their bottom just above the first frame.
constexpr int kHeaderW = 10, kHeaderTop = 30, kHeaderH = 44;
// The logo: a 2.4 : 1 picture in the corner.
constexpr int kLogoW = 110, kLogoH = 49;

int RowY(int row) {
    return kFirstRowY + row * kRowPitch;
}

} // namespace

int OutputX(int k) {
    return kFirstOutputX + k * kOutputPitch + (k >= 4 ? kOutputGap : 0);
}

} // namespace layout

DialogTemplate MainWindowTemplate() {
    using namespace layout;
    DialogTemplate t;
    t.caption = "Tm80_App";
    const int lastOutputRight = OutputX(7) + kOutputW;
    t.cx = lastOutputRight + 4 + kMargin;
    t.cy = RowY(kUnitPositions - 1) + kRowHeight + 4 + 26;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_GROUP; // WS_GROUP: minimise box
    auto& items = t.items;

    items.push_back(CONTROL("", IDC_LOGO, ControlKind::Static, WS_CHILD | WS_VISIBLE, kMargin,
                            kMargin, 20, 20));
    items.push_back(CONTROL("", IDC_LOGO_END, ControlKind::Static, WS_CHILD | WS_VISIBLE,
                            kMargin + kLogoW - 1, kMargin + kLogoH - 1, 1, 1));
    items.push_back(CTEXT("Device Identification", IDC_DEVICE_IDENTIFICATION, kStateX, RowY(0) - 17,
                          kAddressX + kAddressW - kStateX, 10));

    // Column headers (CNewLabel, turned by the window).
    items.push_back(
        LTEXT("MODE 1:8", IDC_MODE_1_8_HEADER, kMode18X - 1, kHeaderTop, kHeaderW, kHeaderH));
    items.push_back(
        LTEXT("MODE 2:4", IDC_MODE_2_4_HEADER, kMode24X - 1, kHeaderTop, kHeaderW, kHeaderH));
    for (int k = 0; k < kOutputs; ++k) {
        items.push_back(LTEXT("OUTPUT " + std::to_string(k + 1), IDC_OUTPUT_HEADER_1 + k,
                              OutputX(k) + (kOutputW - kHeaderW) / 2, kHeaderTop, kHeaderW,
                              kHeaderH));
    }

    for (int r = 0; r < kUnitPositions; ++r) {
        const int y = RowY(r);
        const std::string n = std::to_string(r + 1);
        // Frames first, so the outputs paint over them.
        items.push_back(CONTROL("", IDC_FRAME_ALL[r], ControlKind::Static,
                                WS_CHILD | WS_VISIBLE | SS_ETCHEDFRAME, OutputX(0) - 5, y - 4,
                                lastOutputRight - OutputX(0) + 10, kRowHeight + 8));
        items.push_back(CONTROL("", IDC_FRAME_FIRST_HALF[r], ControlKind::Static,
                                WS_CHILD | SS_ETCHEDFRAME, OutputX(0) - 3, y - 2,
                                OutputX(3) + kOutputW - OutputX(0) + 6, kRowHeight + 4));
        items.push_back(CONTROL("", IDC_FRAME_SECOND_HALF[r], ControlKind::Static,
                                WS_CHILD | SS_ETCHEDFRAME, OutputX(4) - 3, y - 2,
                                OutputX(7) + kOutputW - OutputX(4) + 6, kRowHeight + 4));
        items.push_back(CONTROL("", IDC_STATE[r], ControlKind::Static, WS_CHILD | WS_VISIBLE,
                                kStateX, y, kStateW, kRowHeight));
        items.push_back(
            CTEXT("Customer Dev #" + n, IDC_DEVICE_ID[r], kDeviceIdX, y, kDeviceIdW, kRowHeight));
        items.push_back(CTEXT("IP #" + n, IDC_ADDRESS[r], kAddressX, y, kAddressW, kRowHeight));
        items.push_back(PUSHBUTTON("Device " + n, IDC_DEVICE_BUTTON[r], kDeviceButtonX, y,
                                   kDeviceButtonW, kRowHeight));
        items.push_back(CONTROL("", IDC_REMOVE[r], ControlKind::Button,
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, kRemoveX, y,
                                kRemoveW, kRowHeight));
        items.push_back(CONTROL("", IDC_MODE_1_8[r], ControlKind::Static, WS_CHILD | WS_VISIBLE,
                                kMode18X, y, kLightW, kRowHeight));
        items.push_back(CONTROL("", IDC_MODE_2_4[r], ControlKind::Static, WS_CHILD | WS_VISIBLE,
                                kMode24X, y, kLightW, kRowHeight));
        for (int k = 0; k < kOutputs; ++k) {
            items.push_back(
                CTEXT("", IDC_OUTPUT_FIRST[r] + k, OutputX(k), y + 1, kOutputW, kRowHeight - 2));
        }
    }

    const int bottomY = RowY(kUnitPositions - 1) + kRowHeight + 12;
    items.push_back(PUSHBUTTON("Add Device", IDC_ADD_DEVICE, kMargin, bottomY, 60, 14));
    items.push_back(LTEXT("Devices Found", IDC_DEVICES_FOUND, kStateX + 60, bottomY + 3, 90, 9,
                          SS_LEFTNOWORDWRAP));
    items.push_back(LTEXT("Local Software IP", IDC_LOCAL_SW_IP, kMode18X, bottomY + 3, 140, 9,
                          SS_LEFTNOWORDWRAP));
    return t;
}

std::vector<MenuItem> MainWindowMenu() {
    auto devices = [](unsigned first) {
        std::vector<MenuItem> items;
        for (unsigned d = 0; d < static_cast<unsigned>(kUnitPositions); ++d) {
            items.push_back(MenuItem{"Device " + std::to_string(d + 1), first + d, {}, false});
        }
        return items;
    };
    return {
        MenuItem{"&File",
                 0,
                 {MenuItem{"Save Setup", 0, devices(ID_SAVE_SETUP_1), false},
                  MenuItem{"Recall Setup", 0, devices(ID_RECALL_SETUP_1), false}},
                 false},
        MenuItem{"&System",
                 0,
                 {MenuItem{"Launch Options", ID_LAUNCH_OPTIONS, {}, false},
                  MenuItem{"Flash LEDs", 0, devices(ID_FLASH_LEDS_1), false},
                  MenuItem{"History", 0, devices(ID_HISTORY_1), false}},
                 false},
        MenuItem{"&Tools",
                 0,
                 {MenuItem{"Customize Device Color", ID_CUSTOMIZE_DEVICE_COLOR, {}, false}},
                 false},
        // Linux window managers have no system menu to extend: the About item
        // sits here instead.
        MenuItem{"&Help", 0, {MenuItem{"&About TM80_App...", IDM_ABOUTBOX, {}, false}}, false},
    };
}
