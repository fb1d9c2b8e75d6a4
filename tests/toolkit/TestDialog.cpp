#include "tests/toolkit/TestDialog.h"

#include "infra/ColorScheme.h"
#include "infra/LanguageTables.h"
#include "platform/ui/CDataExchange.h"

#include <fstream>
#include <unistd.h>

using namespace win;

namespace {

DialogTemplate Layout() {
    DialogTemplate t;
    t.caption = "Template Title";
    t.cx = 300;
    t.cy = 200;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    for (int i = 0; i < TestDialog::kLabels; ++i)
        t.items.push_back(LTEXT("Label " + std::to_string(i), 1001 + i, 50, 10 + 14 * i, 100, 8));
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
    for (int i = 0; i < kLabels; ++i)
        DDX_Control(dx, 1001 + i, labels[i]);
    DDX_Control(dx, 1101, buttons[0]);
    DDX_Control(dx, 1102, buttons[1]);
    DDX_Control(dx, 1201, panelBox);
}

bool TestDialog::OnInitDialog() {
    CDialogEx::OnInitDialog();
    if (init)
        init(*this);
    return true;
}

LanguageFile::LanguageFile(const std::string& contents, bool loaded) {
    folder_ = std::filesystem::temp_directory_path() /
              ("tm80_lang_" + std::to_string(::getpid()) + "_" +
               std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder_);
    const auto file = folder_ / "TM80.ENG";
    std::ofstream(file) << contents;
    ResetLanguageTables();
    TheLanguageTables().CurrentLanguageFile = file.string();
    TheLanguageTables().LanguageLoaded = loaded;
}

LanguageFile::~LanguageFile() {
    ResetLanguageTables();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}
