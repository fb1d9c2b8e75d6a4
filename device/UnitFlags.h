// The process-wide flags of the shown units, which the main window and the
// device windows share: the lost-connection flags, the alarm blink count and
// the setup file recalled last.
#pragma once

#include "infra/SystemConfiguration.h"

#include <array>
#include <string>

// One flag per unit index: set when the device window's note check fails or
// finds the unit's note changed (a lost connection); whether a unit is lost.
// Cleared only when the position is released (SlotTable::Release).
std::array<unsigned char, kUnitPositions>& ConnectionLostFlag();
// Whether the flag of unit index `index` is set; false outside the indices.
bool UnitLost(int index);

// Counts the status page's alarm blinks.
int& AlarmBlinkCounter();

// The path of the setup file recalled last; empty at start.
std::string& CurrentSetupFile();

// Clears the flags above (tests run many cases in one process).
void ResetUnitFlags();
