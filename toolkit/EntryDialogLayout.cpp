#include "toolkit/EntryDialogLayout.h"

#include "platform/ui/CDC.h"

#include <algorithm>

using namespace win;

namespace entrylayout {

DialogTemplate Template() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    return t;
}

int RunModal(CDialogEx& dlg, CWnd* parent) {
    dlg.SetParentWindow(parent);
    const INT_PTR result = dlg.DoModal();
    return result == IDOK || result == IDCANCEL ? static_cast<int>(result) : 0;
}

Top CreateTop(CDialogEx& dlg, const std::string& title, int width, int height, CStatic& prompt,
              const std::string& promptText) {
    dlg.SetWindowText(title);
    Top top;
    top.client = SizeClient(dlg, width, height);
    CClientDC dc(&dlg);
    top.lineHeight = dc.GetTextExtent("Ag").cy;
    top.promptBottom = kMargin + top.lineHeight;
    prompt.Create(promptText, WS_CHILD | WS_VISIBLE | SS_CENTER,
                  CRect(kMargin, kMargin, top.client.cx - kMargin, top.promptBottom), &dlg,
                  IDC_STATIC);
    return top;
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
