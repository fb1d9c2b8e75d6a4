// One control enrolled in a dialog's control table.
#pragma once

#include "infra/ColorScheme.h"
#include "platform/ui/CWnd.h"

#include <cstdint>

// Flag in the top byte of a control's colour override besides the palette's
// kOverrideBackground (bit 24) and kOverridePanelText (bit 25): keep the
// control's own text, no language lookup.
inline constexpr std::uint32_t kOverrideKeepText = 1u << 27;

// What Dlgplus does with an enrolled control: its colours, whether it is told
// its enrolment, whether it gets a language text and how it is fitted to it.
// The numbers are those of the language and control tables. Where two types
// are treated alike and this system uses at most one of them, the name carries
// the number.
enum class ControlType : std::int32_t {
    DialogLabel = 0,    // palette label colour; fitted, left edge kept (communications dialog)
    ValueField = 1,     // black on white
    PushButton = 2,     // owner-drawn push button in the BUTTONS colours
    Panel = 3,          // area the dialog paints with the palette background
    PlainLabel = 4,     // keeps its colours; fitted, left edge kept
    OptionButton5 = 5,  // option and check buttons on the palette background
    OptionButton6 = 6,  // coloured as OptionButton5
    LeftLabel7 = 7,     // as LeftLabel
    TwoColour = 8,      // first and second colour: palette background and label
    Light = 9,          // indicator light: no colours, no text
    ValueBlock = 10,    // palette data colours on the data block background
    Bare11 = 11,        // as Light
    DimSecond = 12,     // second colour: palette disabled text
    PanelLabel13 = 13,  // as CentredLabel, not fitted
    DimmableField = 14, // as ValueField; disabled, its background turns the disabled-text colour
    Bare15 = 15,        // as Light
    PanelLabel16 = 16,  // as PanelLabel13
    CentredLabel = 17,  // palette panel-text colour; fitted, centre kept (headings)
    LeftLabel = 18,     // as CentredLabel, left edge kept
    RightLabel = 19,    // as CentredLabel, right edge kept
};

struct ControlEntry {
    const char* name = nullptr;   // key in the language file, e.g. "IDL_OUTPUT_1"
    win::CWnd* control = nullptr; // the control; its Tplus part is found by dynamic_cast
    ControlType type = ControlType::DialogLabel; // values outside 0..19 are left alone
    std::uint32_t colorOverride = 0;
    std::int32_t style = kMainStyle;
};
