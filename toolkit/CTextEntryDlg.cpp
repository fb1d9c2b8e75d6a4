#include "toolkit/CTextEntryDlg.h"

#include "toolkit/EntryDialogLayout.h"

#include <algorithm>

using namespace win;
using entrylayout::kMargin;

CTextEntryDlg::CTextEntryDlg() : CDialogEx(entrylayout::Template()) {}

int CTextEntryDlg::ShowEntry(CWnd* parent, const std::string& title, const std::string& prompt,
                             int maxLength, const std::string& message,
                             const std::string& initialText) {
    title_ = title;
    promptText_ = prompt;
    messageText_ = message;
    initialText_ = initialText;
    maxLength_ = std::max(0, maxLength);
    enteredText_.clear();
    return entrylayout::RunModal(*this, parent);
}

bool CTextEntryDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    const entrylayout::Top top =
        entrylayout::CreateTop(*this, title_, width, height, prompt_, promptText_);
    const int w = top.client.cx;
    const int lineHeight = top.lineHeight;
    const int averageWidth = std::max(1, Units().BaseX());
    int y = top.promptBottom + 2;
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
    entrylayout::CreateButtons(*this, top.client, lineHeight, ok_, cancel_);

    // The limit holds typing only: a longer starting text is shown whole.
    // Typing stops at the limit itself, as a character past it would be
    // dropped later without a sign.
    edit_.SetLimitText(maxLength_);
    edit_.SetWindowText(initialText_);
    edit_.SetFocus();
    edit_.SetSel(0, -1);
    return false; // the focus is set
}

void CTextEntryDlg::OnOK() {
    enteredText_ = edit_.GetWindowText();
    CDialogEx::OnOK();
}
