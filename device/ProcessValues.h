// Process-wide values shared by the main window and the device windows.
#pragma once

#include <array>
#include <string>

// One flag per unit index: set when the device window's note check fails or
// finds the unit's note changed (a lost connection); whether a unit is lost.
// Cleared only when the position is released (SlotTable::Release).
std::array<unsigned char, 4>& ConnectionLostFlag();

// Counts the status page's alarm blinks.
int& AlarmBlinkCounter();

// The path of the setup file recalled last; empty at start.
std::string& CurrentSetupFile();

// Clears the values above (tests run many cases in one process).
void ResetDeviceProcessValues();
