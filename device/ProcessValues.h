// Process-wide values shared by the main window and the device windows.
#pragma once

#include "infra/SystemConfiguration.h"

#include <array>
#include <string>

// One flag per unit index: set when the device window's note check finds the
// unit's note changed (a lost connection). Nothing clears it during a run.
std::array<unsigned char, kUnitPositions>& ConnectionLostFlag();

// Counts the status page's alarm blinks.
int& AlarmBlinkCounter();

// The path of the setup file recalled last; empty at start.
std::string& CurrentSetupFile();

// Clears the values above (tests run many cases in one process).
void ResetDeviceProcessValues();
