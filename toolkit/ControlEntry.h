// One control enrolled in a dialog's control table.
#pragma once

#include "infra/ColorScheme.h"
#include "platform/ui/CWnd.h"

#include <cstdint>

// Flag in the top byte of a control's colour override besides the palette's
// kOverrideBackground (bit 24) and kOverridePanelText (bit 25): keep the
// control's own text, no language lookup.
inline constexpr std::uint32_t kOverrideKeepText = 1u << 27;

struct ControlEntry {
    const char* name = nullptr;   // key in the language file, e.g. "IDL_OUTPUT_1"
    win::CWnd* control = nullptr; // the control; its Tplus part is found by dynamic_cast
    std::int32_t type = 0;        // 0..19
    std::uint32_t colorOverride = 0;
    std::int32_t style = 9; // 10 DIALOG palette, 11 DIALOG1U, any other MAIN
};
