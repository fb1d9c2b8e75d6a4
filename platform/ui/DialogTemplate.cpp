#include "platform/ui/DialogTemplate.h"

#include "platform/ui/QtConvert.h"

#include <QFontMetrics>

namespace win {

namespace {

DialogItem Make(ControlKind kind, const std::string& text, int id, int x, int y, int cx, int cy,
                DWORD style) {
    DialogItem item;
    item.kind = kind;
    item.text = text;
    item.id = id;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.style = WS_CHILD | WS_VISIBLE | style;
    return item;
}

} // namespace

DialogItem LTEXT(const std::string& text, int id, int x, int y, int cx, int cy, DWORD style) {
    return Make(ControlKind::Static, text, id, x, y, cx, cy, SS_LEFT | WS_GROUP | style);
}
DialogItem CTEXT(const std::string& text, int id, int x, int y, int cx, int cy, DWORD style) {
    return Make(ControlKind::Static, text, id, x, y, cx, cy, SS_CENTER | WS_GROUP | style);
}
DialogItem PUSHBUTTON(const std::string& text, int id, int x, int y, int cx, int cy, DWORD style) {
    return Make(ControlKind::Button, text, id, x, y, cx, cy, BS_PUSHBUTTON | WS_TABSTOP | style);
}
DialogItem DEFPUSHBUTTON(const std::string& text, int id, int x, int y, int cx, int cy,
                         DWORD style) {
    return Make(ControlKind::Button, text, id, x, y, cx, cy, BS_DEFPUSHBUTTON | WS_TABSTOP | style);
}
DialogItem AUTOCHECKBOX(const std::string& text, int id, int x, int y, int cx, int cy,
                        DWORD style) {
    return Make(ControlKind::Button, text, id, x, y, cx, cy, BS_AUTOCHECKBOX | WS_TABSTOP | style);
}
DialogItem AUTORADIOBUTTON(const std::string& text, int id, int x, int y, int cx, int cy,
                           DWORD style) {
    return Make(ControlKind::Button, text, id, x, y, cx, cy, BS_AUTORADIOBUTTON | style);
}
DialogItem GROUPBOX(const std::string& text, int id, int x, int y, int cx, int cy, DWORD style) {
    return Make(ControlKind::Button, text, id, x, y, cx, cy, BS_GROUPBOX | style);
}
DialogItem EDITTEXT(int id, int x, int y, int cx, int cy, DWORD style) {
    DialogItem item = Make(ControlKind::Edit, "", id, x, y, cx, cy,
                           ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | style);
    return item;
}
DialogItem CONTROL(const std::string& text, int id, ControlKind kind, DWORD style, int x, int y,
                   int cx, int cy, DWORD exStyle) {
    DialogItem item = Make(kind, text, id, x, y, cx, cy, 0);
    item.style = style; // CONTROL states every style bit itself
    item.exStyle = exStyle;
    return item;
}
DialogItem Hidden(DialogItem item) {
    item.style &= ~WS_VISIBLE;
    return item;
}

DialogUnits DialogUnits::ForFont(const LOGFONT& font) {
    const QFontMetrics fm(ToQFont(font));
    // The average width of the 52 letters, rounded as the platform does.
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = (letters / 26 + 1) / 2;
    return DialogUnits(baseX > 0 ? baseX : 1, fm.height() > 0 ? fm.height() : 1);
}

CRect DialogUnits::ToPixels(int x, int y, int cx, int cy) const {
    const int left = X(x), top = Y(y);
    return CRect(left, top, left + X(cx), top + Y(cy));
}

} // namespace win
