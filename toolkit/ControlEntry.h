// One control enrolled in a dialog's control table.
#pragma once

#include "platform/ui/CWnd.h"

#include <cstdint>

// Flags in the top byte of a control's colour override.
inline constexpr std::uint32_t kOverrideBackground = 1u << 24; // low 24 bits replace background
inline constexpr std::uint32_t kOverridePanelText = 1u << 25;  // ... replace panel text
inline constexpr std::uint32_t kOverrideKeepText = 1u << 27;   // no language lookup

struct ControlEntry {
    const char* name = nullptr;   // key in the language file, e.g. "IDL_OUTPUT_1"
    win::CWnd* control = nullptr; // toolkit control (its Tplus part found by dynamic_cast)
    std::int32_t type = 0;        // 0..19
    std::uint32_t colorOverride = 0;
    std::int32_t style = 9; // 10 DIALOG palette, 11 DIALOG1U, else MAIN
};
