#include "toolkit/EntryDialogLayout.h"

#include <algorithm>

using namespace win;

namespace entrylayout {

DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    return t;
}

CSize SizeClient(CDialogEx& dlg, int width, int height) {
    const int w = std::max(width, 2 * kButtonWidth + kButtonGap + 2 * kMargin);
    const int h = std::max(height, 60);
    CRect frame;
    dlg.GetWindowRect(&frame);
    CRect client;
    dlg.GetClientRect(&client);
    dlg.MoveWindow(frame.left + (client.Width() - w) / 2, frame.top + (client.Height() - h) / 2,
                   w + frame.Width() - client.Width(), h + frame.Height() - client.Height());
    return CSize(w, h);
}

void CreateButtons(CDialogEx& dlg, const CSize& client, int lineHeight, CButton& ok,
                   CButton& cancel) {
    const int buttonHeight = lineHeight + 8;
    const int buttonTop = client.cy - kMargin - buttonHeight;
    const int okLeft = client.cx / 2 - kButtonGap / 2 - kButtonWidth;
    ok.Create("OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
              CRect(okLeft, buttonTop, okLeft + kButtonWidth, buttonTop + buttonHeight), &dlg,
              IDOK);
    const int cancelLeft = client.cx / 2 + kButtonGap / 2;
    cancel.Create("Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
                  CRect(cancelLeft, buttonTop, cancelLeft + kButtonWidth, buttonTop + buttonHeight),
                  &dlg, IDCANCEL);
}

} // namespace entrylayout
