// Dialog templates: a dialog's size, caption, font and controls, with places
// in dialog units. One horizontal unit is a quarter of the dialog font's
// average character width, one vertical unit an eighth of its height.
//
// Controls are written as in a resource script:
//   DialogTemplate t{"Launch Options", 0, 0, 186, 95, WS_POPUP | WS_CAPTION | WS_SYSMENU};
//   t.items = {LTEXT("Count:", IDC_STATIC, 7, 7, 40, 8),
//              DEFPUSHBUTTON("OK", IDOK, 129, 7, 50, 14), ...};
#pragma once

#include "platform/ui/Gdi.h"
#include "platform/ui/WinConstants.h"
#include "platform/ui/WinTypes.h"

#include <string>
#include <vector>

namespace win {

enum class ControlKind {
    Static,
    Button,
    Edit,
    Slider,
    Tab,
    IpAddress,
    ColorButton,
};

struct DialogItem {
    ControlKind kind = ControlKind::Static;
    int id = IDC_STATIC;
    std::string text;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
};

struct DialogTemplate {
    std::string caption;
    int x = 0, y = 0, cx = 0, cy = 0; // client size in dialog units
    // WS_CHILD for panes inside another window; WS_VISIBLE to show on creation.
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    std::string fontFace = "Segoe UI";
    int fontPoints = 10;
    std::vector<DialogItem> items;
};

// Resource-script shorthands. `style` adds to each control's defaults
// (child, visible, and a tab stop for controls that take input); Hidden()
// takes WS_VISIBLE away.
DialogItem LTEXT(const std::string& text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem CTEXT(const std::string& text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem PUSHBUTTON(const std::string& text, int id, int x, int y, int cx, int cy,
                      DWORD style = 0);
DialogItem DEFPUSHBUTTON(const std::string& text, int id, int x, int y, int cx, int cy,
                         DWORD style = 0);
DialogItem AUTOCHECKBOX(const std::string& text, int id, int x, int y, int cx, int cy,
                        DWORD style = 0);
DialogItem AUTORADIOBUTTON(const std::string& text, int id, int x, int y, int cx, int cy,
                           DWORD style = 0);
DialogItem GROUPBOX(const std::string& text, int id, int x, int y, int cx, int cy, DWORD style = 0);
DialogItem EDITTEXT(int id, int x, int y, int cx, int cy, DWORD style = 0);
// Any kind with its full style (nothing added).
DialogItem CONTROL(const std::string& text, int id, ControlKind kind, DWORD style, int x, int y,
                   int cx, int cy, DWORD exStyle = 0);
// The same item created without WS_VISIBLE.
DialogItem Hidden(DialogItem item);

// Base units of a dialog font and the conversion of dialog units to pixels.
class DialogUnits {
public:
    DialogUnits() = default;
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}
    static DialogUnits ForFont(const LOGFONT& font);
    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }
    int X(int units) const { return MulDiv(units, baseX_, 4); }
    int Y(int units) const { return MulDiv(units, baseY_, 8); }
    CRect ToPixels(int x, int y, int cx, int cy) const;

private:
    int baseX_ = 6;
    int baseY_ = 13;
};

} // namespace win
