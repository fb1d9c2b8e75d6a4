// The dialog base: control lookup, start and stop with timer 250, texts from
// the language file, title, tooltips and the fitting of labels to their text.

#include "infra/ColorScheme.h"
#include "infra/LanguageTables.h"
#include "platform/ui/CDC.h"
#include "tests/toolkit/TestDialog.h"
#include "testsupport/UiTestSupport.h"

#include <gtest/gtest.h>

using namespace win;
using enum ControlType;

namespace {

constexpr const char* kLanguage = "[TESTDLG]\n"
                                  "TITLE=Test Window\n"
                                  "IDL_WIDE=A considerably longer heading text\n"
                                  "IDL_KEEP=From the language file\n"
                                  "CP_USERNOTES=Notes // a remark\n"
                                  "[COMMON]\n"
                                  "IDL_SHARED=Shared\n"
                                  "[TT_TESTDLG]\n"
                                  "IDL_WIDE=Own tip\n"
                                  "[TOOLTIPS]\n"
                                  "IDL_WIDE=General tip\n"
                                  "IDL_SHARED=General shared tip\n";

class DlgplusTest : public DialogBaseTest {
protected:
    static CRect Place(CWnd& w) {
        CRect r;
        w.GetWindowRect(&r);
        w.GetParent()->ScreenToClient(&r);
        return r;
    }
};

TEST_F(DlgplusTest, ControlsAreFoundByExactNameAndByWindow) {
    TestDialog dlg;
    Open(dlg, {{"IDL_OUTPUT", &dlg.labels[0], LeftLabel, 0, kMainStyle},
               {"IDC_VALUE", &dlg.labels[1], ValueField, 0, kMainStyle}});
    EXPECT_EQ(dlg.FindControlByName("IDC_VALUE"), 1);
    EXPECT_EQ(dlg.FindControlByName("idl_output"), -1);
    EXPECT_EQ(dlg.FindControlByName("IDL_OUTPUT_1"), -1);
    EXPECT_EQ(dlg.FindControlByWindow(&dlg.labels[1]), 1);
    EXPECT_EQ(dlg.FindControlByWindow(&dlg.labels[2]), -1);
    EXPECT_TRUE(dlg.SetControlStyle("IDC_VALUE", 10));
    EXPECT_EQ(dlg.GetControlEntry(1).style, 10);
    EXPECT_FALSE(dlg.SetControlStyle("IDC_NONE", 10));
}

TEST_F(DlgplusTest, StartRefreshesAndTicksUntilStopped) {
    TestDialog dlg;
    Open(dlg, {});
    dlg.calls.clear();
    dlg.Start();
    EXPECT_EQ(dlg.calls, (std::vector<std::string>{"UpdateStates", "UpdateValues"}));
    EXPECT_TRUE(dlg.IsRunning());
    EXPECT_EQ(dlg.GetTickCount(), 0);
    ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.GetTickCount() >= 3; }));
    dlg.Stop();
    EXPECT_FALSE(dlg.IsRunning());
    const int ticks = dlg.GetTickCount();
    uitest::Settle();
    uitest::WaitUntil([] { return false; }, 50);
    EXPECT_EQ(dlg.GetTickCount(), ticks);
    dlg.Start(); // the count starts again
    EXPECT_EQ(dlg.GetTickCount(), 0);
    dlg.Stop();
}

TEST_F(DlgplusTest, TextsComeFromTheLanguageFileWithTemplateFallbacks) {
    LanguageFile language(kLanguage, true);
    TestDialog dlg;
    Open(dlg, {{"IDL_WIDE", &dlg.labels[0], LeftLabel, 0, kMainStyle},
               {"IDL_SHARED", &dlg.labels[1], LeftLabel, 0, kMainStyle},
               {"IDL_MISSING", &dlg.labels[2], LeftLabel, 0, kMainStyle},
               {"IDL_KEEP", &dlg.labels[3], LeftLabel, kOverrideKeepText, kMainStyle}});
    EXPECT_EQ(dlg.GetWindowText(), "Test Window");
    EXPECT_EQ(dlg.labels[0].GetWindowText(), "A considerably longer heading text");
    EXPECT_EQ(dlg.labels[1].GetWindowText(), "Shared"); // from COMMON
    EXPECT_EQ(dlg.labels[2].GetWindowText(), "Label 2");
    EXPECT_EQ(dlg.labels[3].GetWindowText(), "Label 3"); // bit 27 keeps the template text
    EXPECT_EQ(dlg.GetText("CP_USERNOTES", "User Notes"), "Notes");
    EXPECT_EQ(dlg.GetText("PR_USERNOTES", "Enter the note for this unit:"),
              "Enter the note for this unit:");

    std::string tip;
    ASSERT_TRUE(dlg.GetTooltip().GetText(tip, &dlg.labels[0]));
    EXPECT_EQ(tip, "Own tip");
    ASSERT_TRUE(dlg.GetTooltip().GetText(tip, &dlg.labels[1]));
    EXPECT_EQ(tip, "General shared tip");
    ASSERT_TRUE(dlg.GetTooltip().GetText(tip, &dlg.labels[2]));
    EXPECT_EQ(tip, ""); // an empty tip is still added
}

TEST_F(DlgplusTest, WithoutALanguageSelectedTitleAndTipsStayButTextsAreLookedUp) {
    LanguageFile language(kLanguage, false);
    TestDialog dlg;
    Open(dlg, {{"IDL_WIDE", &dlg.labels[0], LeftLabel, 0, kMainStyle}});
    EXPECT_EQ(dlg.GetWindowText(), "Template Title");
    EXPECT_EQ(dlg.GetTooltip().GetToolCount(), 0);
    EXPECT_EQ(dlg.labels[0].GetWindowText(), "A considerably longer heading text");
}

TEST_F(DlgplusTest, TitleMissingFromTheLanguageFileIsEmpty) {
    LanguageFile language("[COMMON]\nX=1\n", true);
    TestDialog dlg;
    Open(dlg, {});
    EXPECT_EQ(dlg.GetWindowText(), "");
}

TEST_F(DlgplusTest, LabelsFitTheirTextAboutTheEdgeTheirTypeKeeps) {
    LanguageFile language(kLanguage, true);
    TestDialog dlg;
    ControlEntry wide17{"IDL_WIDE", &dlg.labels[0], CentredLabel, 0, kMainStyle};
    ControlEntry wide18{"IDL_WIDE", &dlg.labels[1], LeftLabel, 0, kMainStyle};
    ControlEntry wide19{"IDL_WIDE", &dlg.labels[2], RightLabel, 0, kMainStyle};
    ControlEntry wide0{"IDL_WIDE", &dlg.labels[3], DialogLabel, 0, kMainStyle};
    ControlEntry wide1{"IDL_WIDE", &dlg.labels[4], ValueField, 0, kMainStyle}; // no fitting
    std::vector<CRect> before;
    dlg.init = [&](TestDialog& d) {
        for (int i = 0; i < 5; ++i) {
            before.push_back(Place(d.labels[i]));
        }
        const ControlEntry table[] = {wide17, wide18, wide19, wide0, wide1};
        d.SetControlTable(table);
        d.ApplyScheme();
    };
    ASSERT_TRUE(dlg.Create(nullptr));
    CClientDC dc(&dlg.labels[0]);
    const CSize text = dc.GetTextExtent("A considerably longer heading text");
    ASSERT_GT(text.cx, before[0].Width());

    const CRect centred = Place(dlg.labels[0]);
    EXPECT_EQ(centred.Width(), text.cx);
    EXPECT_EQ(centred.Height(), text.cy);
    EXPECT_LE(std::abs((centred.left + centred.right) - (before[0].left + before[0].right)), 1);
    const CRect left = Place(dlg.labels[1]);
    EXPECT_EQ(left.left, before[1].left);
    EXPECT_EQ(left.Width(), text.cx);
    const CRect right = Place(dlg.labels[2]);
    EXPECT_EQ(right.right, before[2].right);
    EXPECT_EQ(right.Width(), text.cx);
    EXPECT_EQ(Place(dlg.labels[3]).left, before[3].left);
    EXPECT_EQ(Place(dlg.labels[4]), before[4]);
}

} // namespace
