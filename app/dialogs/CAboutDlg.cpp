#include "app/dialogs/CAboutDlg.h"

#include "app/mainwindow/AppIcon.h"
#include "app/mainwindow/Resources.h"
#include "platform/ui/CDataExchange.h"

#include "Version.h"

#include <string>

using namespace win;

namespace {

DialogTemplate AboutTemplate() {
    DialogTemplate t;
    t.caption = CAboutDlg::kTitle;
    t.cx = 170;
    t.cy = 62;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.items = {
        CONTROL("", res::IDC_ABOUT_ICON, ControlKind::Static, WS_CHILD | WS_VISIBLE, 14, 14, 21,
                20),
        LTEXT(std::string(CAboutDlg::kVersionPrefix) + kVersionText, res::IDC_ABOUT_VERSION, 42, 14,
              114, 8, SS_LEFTNOWORDWRAP),
        DEFPUSHBUTTON("OK", IDOK, 113, 41, 50, 14, WS_GROUP),
    };
    return t;
}

} // namespace

CAboutDlg::CAboutDlg(CWnd* parent) : CDialogEx(AboutTemplate(), parent) {}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, res::IDC_ABOUT_ICON, icon_);
}

bool CAboutDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    icon_.SetImage(AppIcon());
    SetIcon(AppIcon(), true);
    SetIcon(AppIcon(), false);
    return true;
}
