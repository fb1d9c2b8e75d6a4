// The process's colour scheme: one palette per window style plus the button
// colours, built-in defaults overlaid value by value from the options file.
// Colours are 0x00BBGGRR (red in the low byte), stored as decimal integers.
#pragma once

#include "platform/WinTypes.h"

#include <string>

using win::COLORREF;

struct Palette {
    COLORREF Background = 0;
    COLORREF Label = 0;
    COLORREF Data = 0;
    COLORREF DataBlockBackground = 0;
    COLORREF Text = 0;
    COLORREF DisabledText = 0;
    COLORREF PanelText = 0;
};

struct ButtonColors {
    COLORREF Face = 0;
    COLORREF Highlight = 0;
    COLORREF Shadow = 0;
    COLORREF Text = 0;
    COLORREF DisabledText = 0;
};

struct ColorScheme {
    Palette Main;         // section "MAIN": the default style
    Palette Dialog;       // section "DIALOG": style 10
    ButtonColors Buttons; // section "BUTTONS"
    Palette Dialog1U;     // section "DIALOG1U": style 11
};

// Palette styles of a control table entry; any style but 10 and 11 selects
// MAIN, and the windows use 9 for it.
inline constexpr int kMainStyle = 9;
inline constexpr int kDialogStyle = 10;
inline constexpr int kDialog1UStyle = 11;
// Flags in the top byte of a PaletteFor override.
inline constexpr COLORREF kOverrideBackground = 1u << 24;
inline constexpr COLORREF kOverridePanelText = 1u << 25;

ColorScheme& TheColorScheme();
// The built-in scheme (MAIN background RGB(0,51,102) and so on).
ColorScheme DefaultColorScheme();
// TheColorScheme() := the built-in scheme.
void SetDefaultColors();
// Overlays TheColorScheme() with the values found in the options file; a
// missing file, section or key or a non-numeric value keeps that colour.
void LoadColorScheme(const std::string& optionsFile);
// Style 10: DIALOG, style 11: DIALOG1U, any other: MAIN. With bit 24 of the
// override set the background is its low 24 bits; otherwise with bit 25 set
// the panel text is.
Palette PaletteFor(int style, COLORREF override);
