#pragma once

// The text unit: one process-wide size from which label and entry fonts are
// made (labels are 1.5 units high). The main window sets it to 10; it starts
// at 10 so that a label styled earlier still gets a readable font.

int TextUnit();
void SetTextUnit(int unit);
