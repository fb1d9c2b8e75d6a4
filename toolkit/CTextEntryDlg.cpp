#include "toolkit/CTextEntryDlg.h"

#include "platform/ui/CDC.h"
#include "toolkit/EntryDialogLayout.h"

#include <algorithm>

using namespace win;
using entrylayout::kMargin;

CTextEntryDlg::CTextEntryDlg() : CDialogEx(entrylayout::Template()) {}

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
    const CSize size = entrylayout::SizeClient(*this, width, height);
    const int w = size.cx;

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
    entrylayout::CreateButtons(*this, size, lineHeight, ok_, cancel_);

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
