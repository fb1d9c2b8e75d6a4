// CToolTipCtrl: the tips shown when the mouse rests on a window.
#pragma once

#include "platform/ui/CWnd.h"

#include <map>

namespace win {

inline constexpr DWORD TTS_ALWAYSTIP = 0x01;
inline constexpr DWORD TTS_BALLOON = 0x40;

class CToolTipCtrl {
public:
    bool Create(CWnd* owner, DWORD style = TTS_ALWAYSTIP);
    // Adds or replaces the tip of a window (an empty text shows no tip).
    bool AddTool(CWnd* tool, const std::string& text);
    int GetToolCount() const { return static_cast<int>(tips_.size()); }
    // The tip of a window; false when it has none.
    bool GetText(std::string& text, const CWnd* tool) const;
    DWORD GetStyle() const { return style_; }

private:
    CWnd* owner_ = nullptr;
    DWORD style_ = 0;
    std::map<CWnd*, std::string> tips_;
};

} // namespace win
