// Resource numbers of the application: dialog templates, menu, icons and the
// control ids of the main window.
#pragma once

#include "infra/SystemConfiguration.h"

namespace res {

// Dialogs, menu, icons, strings.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDD_TM80_APP_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128; // the application icon of the About box
inline constexpr int IDR_MAIN_MENU = 135;
inline constexpr int IDI_APP_ICON = 142; // the main window's icon

// Main window: single controls.
inline constexpr int IDC_LOGO = 1000;
inline constexpr int IDC_LOGO_END = 1001; // marks where the logo ends; hidden
inline constexpr int IDC_DEVICE_IDENTIFICATION = 1025;
inline constexpr int IDC_MODE_1_8_HEADER = 1022;
inline constexpr int IDC_MODE_2_4_HEADER = 1023;
inline constexpr int IDC_OUTPUT_HEADER_1 = 1014; // to 1021
inline constexpr int IDC_ADD_DEVICE = 1069;
inline constexpr int IDC_LOCAL_SW_IP = 1070;
inline constexpr int IDC_DEVICES_FOUND = 1071;

// Main window: one id per row (rows 1 to 4).
inline constexpr int kOutputs = 8;
inline constexpr int IDC_REMOVE[kUnitPositions] = {1198, 1199, 1200, 1201};
inline constexpr int IDC_DEVICE_ID[kUnitPositions] = {1189, 1191, 1193, 1195};
// The unit's state marker, left of its device ID.
inline constexpr int IDC_STATE[kUnitPositions] = {1202, 1203, 1204, 1205};
inline constexpr int IDC_ADDRESS[kUnitPositions] = {1197, 1192, 1194, 1196};
inline constexpr int IDC_DEVICE_BUTTON[kUnitPositions] = {1026, 1066, 1067, 1068};
inline constexpr int IDC_MODE_1_8[kUnitPositions] = {1024, 1027, 1028, 1029};
inline constexpr int IDC_MODE_2_4[kUnitPositions] = {1030, 1031, 1032, 1033};
inline constexpr int IDC_OUTPUT_FIRST[kUnitPositions] = {1034, 1042, 1050,
                                                         1058}; // outputs 1-8 follow
inline constexpr int IDC_FRAME_ALL[kUnitPositions] = {1002, 1003, 1004, 1005};
inline constexpr int IDC_FRAME_FIRST_HALF[kUnitPositions] = {1006, 1008, 1010, 1012};
inline constexpr int IDC_FRAME_SECOND_HALF[kUnitPositions] = {1007, 1009, 1011, 1013};

// Menu 135.
inline constexpr unsigned ID_CUSTOMIZE_DEVICE_COLOR = 32771;
inline constexpr unsigned ID_LAUNCH_OPTIONS = 32772;
inline constexpr unsigned ID_RECALL_SETUP_1 = 32775; // to 32778
inline constexpr unsigned ID_SAVE_SETUP_1 = 32780;   // to 32783
inline constexpr unsigned ID_FLASH_LEDS_1 = 32785;   // to 32788
inline constexpr unsigned ID_HISTORY_1 = 32790;      // to 32793
inline constexpr unsigned IDM_ABOUTBOX = 16;

// About box.
inline constexpr int IDC_ABOUT_ICON = 1100;
inline constexpr int IDC_ABOUT_VERSION = 1101;

} // namespace res
