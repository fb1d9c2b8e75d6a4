// CIPAddressCtrl: four fields of 0..255. Blank fields read back as 0, so a
// blank control reads 0.0.0.0. Typing works as in the Windows control: a
// third digit, or a dot or blank after a digit, moves on to the next field
// (whose text is then selected); a dot right after such a move is taken as
// the separator already passed. Backspace and the arrow keys cross into the
// neighbouring field at a field's edge; a pasted dotted address fills the
// fields from the one pasted into. Tab leaves the control. A value over 255
// becomes 255. Changes send WM_COMMAND (id, EN_CHANGE).
#pragma once

#include "platform/ui/CWnd.h"

#include <array>
#include <string>

namespace win {

class CIPAddressCtrl : public CWnd {
public:
    bool Create(DWORD style, const CRect& rect, CWnd* parent, int id) {
        return CWnd::Create("", style, rect, parent, id);
    }
    void SetAddress(BYTE f0, BYTE f1, BYTE f2, BYTE f3);
    void SetAddress(DWORD address); // f0 in the high byte
    // Number of fields that are not blank; blank fields give 0.
    int GetAddress(BYTE& f0, BYTE& f1, BYTE& f2, BYTE& f3) const;
    int GetAddress(DWORD& address) const;
    // The four fields as "%d.%d.%d.%d"; a blank control gives "0.0.0.0".
    std::string GetAddressText() const;
    void ClearAddress();
    bool IsBlank() const;

protected:
    QWidget* CreateNative(QWidget* parent) override;
    // Text is the dotted address ("" when blank).
    void SetNativeText(const std::string& text) override;
    std::string GetNativeText() const override;
    void OnFontChanged() override;
};

} // namespace win
