#include "toolkit/CTextEntryDlg.h"

#include "platform/ui/CDC.h"

#include <algorithm>

using namespace win;

namespace {

DialogTemplate EntryTemplate() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    return t;
}

constexpr int kMargin = 8;
constexpr int kButtonWidth = 60;
constexpr int kButtonGap = 30;

} // namespace

CTextEntryDlg::CTextEntryDlg() : CDialogEx(EntryTemplate()) {}

int CTextEntryDlg::ShowEntry(CWnd* parent, const std::string& title, const std::string& prompt,
                             int maxLength, const std::string& message,
                             const std::string& initialText) {
    SetParentWindow(parent);
    title_ = title;
    promptText_ = prompt;
    messageText_ = message;
    initialText_ = initialText;
    maxLength_ = std::max(0, maxLength);
    enteredText_.clear();
    const INT_PTR result = DoModal();
    return result == IDOK || result == IDCANCEL ? static_cast<int>(result) : 0;
}

bool CTextEntryDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetWindowText(title_);
    const int w = std::max(width, 2 * kButtonWidth + kButtonGap + 2 * kMargin);
    const int h = std::max(height, 60);
    CRect frame;
    GetWindowRect(&frame);
    CRect client;
    GetClientRect(&client);
    MoveWindow(frame.left + (client.Width() - w) / 2, frame.top + (client.Height() - h) / 2,
               w + frame.Width() - client.Width(), h + frame.Height() - client.Height());

    CClientDC dc(this);
    const int lineHeight = dc.GetTextExtent("Ag").cy;
    const int averageWidth = std::max(1, Units().BaseX());
    int y = kMargin;
    prompt_.Create(promptText_, WS_CHILD | WS_VISIBLE | SS_CENTER,
                   CRect(kMargin, y, w - kMargin, y + lineHeight), this, IDC_STATIC);
    y += lineHeight + 2;
    message_.Create(messageText_, WS_CHILD | WS_VISIBLE | SS_CENTER,
                    CRect(kMargin, y, w - kMargin, y + lineHeight), this, IDC_STATIC);
    y += lineHeight + 6;
    const int editWidth = std::min(w, (maxLength_ + 3) * averageWidth);
    const int editLeft = std::max(0, (w - editWidth) / 2);
    const int editHeight = std::max(1, lines) * lineHeight + 6;
    // Sunken edge, scrolling sideways.
    edit_.CWnd::Create("", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                       CRect(editLeft, y, editLeft + editWidth, y + editHeight), this, kEditId,
                       WS_EX_CLIENTEDGE);
    const int buttonHeight = lineHeight + 8;
    const int buttonTop = h - kMargin - buttonHeight;
    const int okLeft = w / 2 - kButtonGap / 2 - kButtonWidth;
    ok_.Create("OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
               CRect(okLeft, buttonTop, okLeft + kButtonWidth, buttonTop + buttonHeight), this,
               IDOK);
    const int cancelLeft = w / 2 + kButtonGap / 2;
    cancel_.Create(
        "Cancel", WS_CHILD | WS_VISIBLE | WS_TABSTOP,
        CRect(cancelLeft, buttonTop, cancelLeft + kButtonWidth, buttonTop + buttonHeight), this,
        IDCANCEL);

    edit_.SetWindowText(initialText_);
    edit_.SetLimitText(maxLength_ + 1);
    edit_.SetFocus();
    edit_.SetSel(0, -1);
    return false; // the focus is set
}

void CTextEntryDlg::OnOK() {
    enteredText_ = edit_.GetWindowText();
    CDialogEx::OnOK();
}
