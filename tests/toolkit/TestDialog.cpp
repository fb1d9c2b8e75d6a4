#include "tests/toolkit/TestDialog.h"

#include "infra/ColorScheme.h"
#include "infra/LanguageTables.h"
#include "platform/ui/CDataExchange.h"
#include "testsupport/UiTestSupport.h"

using namespace win;

namespace {

DialogTemplate Layout() {
    DialogTemplate t;
    t.caption = "Template Title";
    t.cx = 300;
    t.cy = 200;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    for (int i = 0; i < TestDialog::kLabels; ++i) {
        t.items.push_back(LTEXT("Label " + std::to_string(i), 1001 + i, 50, 10 + 14 * i, 100, 8));
    }
    t.items.push_back(PUSHBUTTON("Apply", 1101, 200, 10, 50, 14));
    t.items.push_back(AUTORADIOBUTTON("Scan", 1102, 200, 30, 50, 10, WS_GROUP));
    t.items.push_back(GROUPBOX("", 1201, 160, 100, 120, 80));
    return t;
}

} // namespace

TestDialog::TestDialog() : CDialogEx(Layout()) {
    Setup(this, "TESTDLG");
}

void TestDialog::DoDataExchange(CDataExchange* dx) {
    for (int i = 0; i < kLabels; ++i) {
        DDX_Control(dx, 1001 + i, labels[i]);
    }
    DDX_Control(dx, 1101, buttons[0]);
    DDX_Control(dx, 1102, buttons[1]);
    DDX_Control(dx, 1201, panelBox);
}

bool TestDialog::OnInitDialog() {
    CDialogEx::OnInitDialog();
    if (init) {
        init(*this);
    }
    return true;
}

void DialogBaseTest::SetUp() {
    uitest::EnsureApplication();
    SetDefaultColors();
}

void DialogBaseTest::Open(TestDialog& dlg, std::vector<ControlEntry> table) {
    dlg.init = [table](TestDialog& d) {
        d.SetControlTable(table.data(), static_cast<int>(table.size()));
        d.UpdateValues();
        d.ApplyTooltips();
        d.Invalidate();
        d.ApplyScheme();
        d.UpdateStates();
    };
    ASSERT_TRUE(dlg.Create(nullptr));
}

LanguageFile::LanguageFile(const std::string& contents, bool loaded) {
    WriteFile(folder_ / "TM80.ENG", contents);
    ResetLanguageTables();
    TheLanguageTables().CurrentLanguageFile = folder_ / "TM80.ENG";
    TheLanguageTables().LanguageLoaded = loaded;
}

LanguageFile::~LanguageFile() {
    ResetLanguageTables();
}
