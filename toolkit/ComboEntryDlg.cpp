#include "toolkit/ComboEntryDlg.h"

#include "platform/ui/CDC.h"
#include "toolkit/EntryDialogLayout.h"

#include <algorithm>

using namespace win;
using entrylayout::kMargin;

namespace {

constexpr int kScrollBarWidth = 17;

} // namespace

ComboEntryDlg::ComboEntryDlg() : CDialogEx(entrylayout::Template()) {}

int ComboEntryDlg::ShowChoice(CWnd* parent, const std::string& title, const std::string& prompt,
                              int current, const std::vector<std::string>& items, int count) {
    title_ = title;
    promptText_ = prompt;
    const auto n = static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(items.size())));
    items_.assign(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(n));
    current_ = current;
    selected_ = -1;
    enteredText_.clear();
    return entrylayout::RunModal(*this, parent);
}

bool ComboEntryDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    const entrylayout::Top top =
        entrylayout::CreateTop(*this, title_, width, height, prompt_, promptText_);
    const int w = top.client.cx;
    const int lineHeight = top.lineHeight;
    CClientDC dc(this);
    int widest = 0;
    for (const std::string& item : items_) {
        widest = std::max(widest, dc.GetTextExtent(item).cx);
    }
    const int y = top.promptBottom + 8;
    const int listWidth =
        std::min(w, widest + kScrollBarWidth + dc.GetTextExtent("0").cx + 2 * kMargin);
    const int listLeft = std::max(0, (w - listWidth) / 2);
    list_.CWnd::Create("", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
                       CRect(listLeft, y, listLeft + listWidth, y + lineHeight + 8), this, kListId,
                       WS_EX_CLIENTEDGE);
    for (const std::string& item : items_) {
        list_.AddString(item);
    }
    list_.SetCurSel(current_);

    entrylayout::CreateButtons(*this, top.client, lineHeight, ok_, cancel_);
    list_.SetFocus();
    return false;
}

void ComboEntryDlg::TakeSelection() {
    selected_ = list_.GetCurSel();
    enteredText_ = list_.GetLBText(selected_);
}

void ComboEntryDlg::OnOK() {
    TakeSelection();
    CDialogEx::OnOK();
}

bool ComboEntryDlg::OnCommand(int id, int code) {
    if (id == kListId && code == CBN_SELENDOK) {
        TakeSelection();
        EndDialog(IDOK);
        return true;
    }
    return CDialogEx::OnCommand(id, code);
}
