// Colours as the stored files and the toolkit see them: 0x00BBGGRR, red in the
// low byte. Plain C++ on purpose: every layer above the window layer uses these
// values, and only the window layer turns them into Qt colours.
#pragma once

#include "platform/WinTypes.h"

namespace win {

constexpr COLORREF RGB(int r, int g, int b) {
    return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(COLORREF c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GetGValue(COLORREF c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GetBValue(COLORREF c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// "No colour" (the all-ones value that a colour setter given -1 receives).
inline constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;

// System colour indices used by the controls.
enum SysColor : int {
    COLOR_WINDOWTEXT = 8,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
};

// The system colours of a default Windows desktop, fixed so that every
// machine draws the same.
constexpr COLORREF GetSysColor(int index) {
    switch (index) {
    case COLOR_WINDOWTEXT:
        return RGB(0, 0, 0);
    case COLOR_BTNFACE:
        return RGB(240, 240, 240);
    case COLOR_BTNSHADOW:
        return RGB(160, 160, 160);
    case COLOR_GRAYTEXT:
        return RGB(109, 109, 109);
    case COLOR_BTNTEXT:
        return RGB(0, 0, 0);
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    default:
        return RGB(0, 0, 0);
    }
}

} // namespace win
