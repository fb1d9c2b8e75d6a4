// Tab order in reading order: a window's controls that take the focus by Tab
// are visited in rows from top to bottom and, within a row, from left to
// right, whatever order their template created them in.
#pragma once

#include "platform/ui/WinTypes.h"

#include <vector>

namespace win {

class CWnd;

// Indices of `places` in reading order. A place joins the row of the place
// above it when its vertical centre lies within that row's first place.
std::vector<int> ReadingOrder(const std::vector<CRect>& places);

// Orders the Tab stops among `parent`'s direct children by ReadingOrder of
// their places; returns them in that order.
std::vector<CWnd*> ArrangeTabOrder(CWnd& parent);

} // namespace win
