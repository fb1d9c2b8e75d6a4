#include "app/dialogs/ProgressBox.h"

#include "platform/ui/CDataExchange.h"
#include "platform/ui/RepaintWithoutInput.h"

using namespace win;

namespace {

constexpr int IDC_PROGRESS_LINE = 101;

DialogTemplate ProgressTemplate(const std::string& title) {
    DialogTemplate t;
    t.caption = title;
    t.cx = 180;
    t.cy = 26;
    t.style = WS_POPUP | WS_CAPTION;
    t.items = {LTEXT("", IDC_PROGRESS_LINE, 10, 9, 160, 10, SS_LEFTNOWORDWRAP)};
    return t;
}

} // namespace

ProgressBox::ProgressBox(const std::string& title) : CDialogEx(ProgressTemplate(title)) {
    if (!Create()) {
        return;
    }
    ShowTakingNoInput(*this);
    progress_ = std::make_unique<NetworkProgressScope>(
        [this](const NetworkProgress& progress) { line_.SetWindowText(progress.Text()); });
}

ProgressBox::~ProgressBox() {
    progress_.reset();
    if (IsWindow()) {
        ShowWindow(SW_HIDE);
    }
}

void ProgressBox::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, IDC_PROGRESS_LINE, line_);
}

bool ProgressBox::OnCommand(int, int) {
    return true;
}

bool ProgressBox::OnKeyDown(UINT, UINT, UINT) {
    return true;
}
