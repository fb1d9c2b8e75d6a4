// The layout both entry dialogs share: a captioned pop-up of a given client
// size centred where the platform placed it, with OK and Cancel side by side
// at the bottom.
#pragma once

#include "platform/ui/CButton.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/DialogTemplate.h"

namespace entrylayout {

inline constexpr int kMargin = 8;
inline constexpr int kButtonWidth = 60;
inline constexpr int kButtonGap = 30;

win::DialogTemplate Template();

// Gives `dlg` a client area of at least `width` x `height` (room for the two
// buttons, 60 pixels high), keeping its centre; returns the size it got.
win::CSize SizeClient(win::CDialogEx& dlg, int width, int height);

// OK (the default button) and Cancel, centred at the bottom of a client
// area of `client` size.
void CreateButtons(win::CDialogEx& dlg, const win::CSize& client, int lineHeight, win::CButton& ok,
                   win::CButton& cancel);

} // namespace entrylayout
