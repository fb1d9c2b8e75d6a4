#pragma once

// RemoveButton: the button without a caption at the left of each row of the
// main window; it draws a cross on a raised face so that it reads as "remove".
// A click sends BN_CLICKED as any button does; Enter or Space on the focused
// button sends kKeyboardClicked instead, so that the window can ask first: a
// unit is not taken away by one stray key.

#include "platform/ui/CButton.h"

class RemoveButton : public win::CButton {
public:
    static constexpr int kKeyboardClicked = 0x0100;

    // The template gives the button BS_OWNERDRAW.
    void DrawItem(const win::DRAWITEMSTRUCT& item) override;
    bool OnKeyDown(win::UINT key, win::UINT repeat, win::UINT flags) override;
};
