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
    SetParentWindow(parent);
    title_ = title;
    promptText_ = prompt;
    const auto n = static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(items.size())));
    items_.assign(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(n));
    current_ = current;
    selected_ = -1;
    enteredText_.clear();
    const INT_PTR result = DoModal();
    return result == IDOK || result == IDCANCEL ? static_cast<int>(result) : 0;
}

bool ComboEntryDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    SetWindowText(title_);
    const CSize size = entrylayout::SizeClient(*this, width, height);
    const int w = size.cx;

    CClientDC dc(this);
    const int lineHeight = dc.GetTextExtent("Ag").cy;
    int widest = 0;
    for (const std::string& item : items_)
        widest = std::max(widest, dc.GetTextExtent(item).cx);
    int y = kMargin;
    prompt_.Create(promptText_, WS_CHILD | WS_VISIBLE | SS_CENTER,
                   CRect(kMargin, y, w - kMargin, y + lineHeight), this, IDC_STATIC);
    y += lineHeight + 8;
    const int listWidth =
        std::min(w, widest + kScrollBarWidth + dc.GetTextExtent("0").cx + 2 * kMargin);
    const int listLeft = std::max(0, (w - listWidth) / 2);
    list_.CWnd::Create("", WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST,
                       CRect(listLeft, y, listLeft + listWidth, y + lineHeight + 8), this, kListId,
                       WS_EX_CLIENTEDGE);
    for (const std::string& item : items_)
        list_.AddString(item);
    list_.SetCurSel(current_);

    entrylayout::CreateButtons(*this, size, lineHeight, ok_, cancel_);
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
