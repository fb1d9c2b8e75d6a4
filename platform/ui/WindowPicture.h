// Pictures of a window for a record on paper or disk (the system page's
// "Hard Copy"). Paths and texts are 8-bit, as everywhere in the system.
#pragma once

#include <string>

namespace win {

class CWnd;

// The window as it paints now, at screen resolution, as a PNG file. False
// when the file cannot be written.
bool SaveWindowPng(const CWnd& wnd, const std::string& path);

// One A4 landscape page: `heading` on a line across the top, below it the
// window scaled to fit and drawn at the page's resolution (not a screen
// picture blown up). False when the file cannot be written.
bool SaveWindowPdf(const CWnd& wnd, const std::string& path, const std::string& heading);

} // namespace win
