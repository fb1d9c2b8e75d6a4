// The main window's dialog template (102) and menu (135).
//
// Layout, in dialog units: the logo in the top-left corner; to its right the
// column headers, written upwards: "MODE 1:8" and "MODE 2:4" over the two
// lights, "OUTPUT 1" to "OUTPUT 8" over the eight outputs; "Device
// Identification" over the device ID and address columns. Then four rows:
// remove button, the unit's state marker, device ID, address, "Device n", the
// two lights, and the eight outputs inside a frame (with two half frames for
// a 2:4 split).
// Below the rows: "Add Device", "Devices Found: %d", "Local Software IP: %s".
#pragma once

#include "platform/ui/CMenu.h"
#include "platform/ui/DialogTemplate.h"

#include <vector>

namespace layout {

// Top of row r (0-3) and the row pitch.
inline constexpr int kFirstRowY = 80;
inline constexpr int kRowPitch = 22;
inline constexpr int kRowHeight = 12;

// Left edge of output k (0-7); outputs 5-8 sit a little apart from 1-4 so
// that the half frames of a 2:4 split have room between them.
int OutputX(int k);

} // namespace layout

win::DialogTemplate MainWindowTemplate();
std::vector<win::MenuItem> MainWindowMenu();
