// The layout both entry dialogs share: a captioned pop-up of a given client
// size centred where the platform placed it, with OK and Cancel side by side
// at the bottom.
#pragma once

#include "platform/ui/CButton.h"
#include "platform/ui/CDialogEx.h"
#include "platform/ui/CStatic.h"
#include "platform/ui/DialogTemplate.h"

#include <string>

namespace entrylayout {

inline constexpr int kMargin = 8;
inline constexpr int kButtonWidth = 60;
inline constexpr int kButtonGap = 30;

win::DialogTemplate Template();

// Runs `dlg` modally over `parent`: 1 (OK), 2 (Cancel), or 0 when the window
// cannot be made.
int RunModal(win::CDialogEx& dlg, win::CWnd* parent);

// What a dialog's top part leaves for the rest of its layout.
struct Top {
    win::CSize client;
    int lineHeight = 0;
    int promptBottom = 0;
};

// Titles `dlg`, sizes its client area (SizeClient) and puts the centred
// prompt line across its top.
Top CreateTop(win::CDialogEx& dlg, const std::string& title, int width, int height,
              win::CStatic& prompt, const std::string& promptText);

// Gives `dlg` a client area of at least `width` x `height` (room for the two
// buttons, 60 pixels high), keeping its centre; returns the size it got.
win::CSize SizeClient(win::CDialogEx& dlg, int width, int height);

// OK (the default button) and Cancel, centred at the bottom of a client
// area of `client` size.
void CreateButtons(win::CDialogEx& dlg, const win::CSize& client, int lineHeight, win::CButton& ok,
                   win::CButton& cancel);

} // namespace entrylayout
