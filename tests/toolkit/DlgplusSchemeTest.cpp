// The colour scheme applied by control type, the control-colour answer and
// the painting of panel areas.

#include "infra/ColorScheme.h"
#include "platform/ui/CDC.h"
#include "tests/toolkit/TestDialog.h"
#include "testsupport/UiTestSupport.h"

#include <gtest/gtest.h>

using namespace win;
using enum ControlType;

namespace {

using DlgplusSchemeTest = DialogBaseTest;

TEST_F(DlgplusSchemeTest, LabelTypesTakeTheirPaletteColoursAndEnrolment) {
    const Palette main = PaletteFor(kMainStyle, 0);
    const Palette dialog = PaletteFor(kDialogStyle, 0);
    struct Case {
        ControlType type;
        int style;
        COLORREF back, text, disabled;
        bool enrolled;
    } cases[] = {
        {DialogLabel, kMainStyle, main.Background, main.Label, main.DisabledText, true},
        {ValueField, kMainStyle, RGB(255, 255, 255), RGB(0, 0, 0), main.DisabledText, true},
        {ValueBlock, kDialogStyle, dialog.DataBlockBackground, dialog.Data, dialog.DisabledText,
         true},
        {CentredLabel, kMainStyle, main.Background, main.PanelText, main.DisabledText, true},
        {LeftLabel, kDialogStyle, dialog.Background, dialog.PanelText, dialog.DisabledText, true},
        {Light, kMainStyle, CLR_NONE, CLR_NONE, CLR_NONE, false}, // lights: nothing
        {ControlType{25}, kMainStyle, CLR_NONE, CLR_NONE, CLR_NONE,
         false}, // outside 0..19: left alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        TestDialog dlg;
        Open(dlg, {{"IDL_X", &dlg.labels[0], DialogLabel, 0, kMainStyle},
                   {"IDL_Y", &dlg.labels[1], c.type, 0, c.style}});
        const FakeLabel& l = dlg.labels[1];
        EXPECT_EQ(l.back, c.back);
        EXPECT_EQ(l.text, c.text);
        EXPECT_EQ(l.disabled, c.disabled);
        EXPECT_EQ(l.GetType(), c.enrolled ? c.type : Tplus::kNotEnrolled);
        EXPECT_EQ(l.GetTableIndex(), c.enrolled ? 1 : -1);
    }
}

TEST_F(DlgplusSchemeTest, OverrideBitsReplaceBackgroundOrPanelText) {
    TestDialog dlg;
    Open(
        dlg,
        {{"IDL_A", &dlg.labels[0], CentredLabel, kOverrideBackground | RGB(0, 200, 0), kMainStyle},
         {"IDL_B", &dlg.labels[1], CentredLabel, kOverridePanelText | RGB(0, 0, 255), kMainStyle}});
    EXPECT_EQ(dlg.labels[0].back, RGB(0, 200, 0));
    EXPECT_EQ(dlg.labels[1].text, RGB(0, 0, 255));
}

TEST_F(DlgplusSchemeTest, ButtonTypesTakeTheButtonColours) {
    const ButtonColors& b = TheColorScheme().Buttons;
    TestDialog dlg;
    Open(dlg, {{"IDC_APPLY", &dlg.buttons[0], PushButton, 0, kMainStyle},
               {"IDC_SCAN", &dlg.buttons[1], OptionButton5, 0, kMainStyle}});
    EXPECT_EQ(dlg.buttons[0].GetButtonStyle(), BS_OWNERDRAW);
    EXPECT_EQ(dlg.buttons[0].face, b.Face);
    EXPECT_EQ(dlg.buttons[0].text, b.Text);
    EXPECT_EQ(dlg.buttons[0].GetType(), Tplus::kNotEnrolled);
    // Option buttons: the palette background first (the old face kept), then the BUTTONS colours.
    EXPECT_EQ(dlg.buttons[1].calls, (std::vector<std::string>{"face", "colours"}));
    EXPECT_EQ(dlg.buttons[1].alternate, CLR_NONE);
    EXPECT_EQ(dlg.buttons[1].highlight, b.Highlight);
    EXPECT_EQ(dlg.buttons[1].GetButtonStyle(), BS_AUTORADIOBUTTON);
}

TEST_F(DlgplusSchemeTest, ControlColourAnswerGoesByType) {
    TestDialog dlg;
    Open(dlg, {{"IDC_DATA", &dlg.labels[0], ValueBlock, 0, kMainStyle},
               {"IDC_VALUE", &dlg.labels[1], ValueField, 0, kMainStyle},
               {"IDC_DIM", &dlg.labels[2], DimmableField, 0, kMainStyle},
               {"IDL_HEAD", &dlg.labels[3], CentredLabel, 0, kMainStyle}});
    const ColorScheme& s = TheColorScheme();
    CDC dc(DefaultGuiFont());
    auto answer = [&](CWnd* w) { return dlg.AnswerCtlColor(dc, w, CTLCOLOR_STATIC)->Colour(); };
    EXPECT_EQ(answer(&dlg.labels[0]), s.Main.DataBlockBackground);
    EXPECT_EQ(answer(&dlg.labels[1]), RGB(255, 255, 255));
    EXPECT_EQ(answer(&dlg.labels[2]), RGB(255, 255, 255));
    dlg.labels[2].SetDisabled(true);
    EXPECT_EQ(answer(&dlg.labels[2]), s.Main.DisabledText);
    EXPECT_EQ(answer(&dlg.labels[3]), s.Main.Background);
    EXPECT_EQ(answer(&dlg.labels[5]), s.Main.Background); // not enrolled
    EXPECT_EQ(answer(&dlg), s.Main.Background);
}

TEST_F(DlgplusSchemeTest, PanelsArePaintedFromSevenPixelsBelowTheirTop) {
    TestDialog dlg;
    Open(dlg,
         {{"IDC_PANEL", &dlg.panelBox, Panel, kOverrideBackground | RGB(0, 200, 0), kMainStyle}});
    uitest::Settle();
    const QImage image = uitest::Grab(dlg);
    CRect panel;
    dlg.panelBox.GetWindowRect(&panel);
    dlg.ScreenToClient(&panel);
    EXPECT_EQ(uitest::PixelAt(image, panel.left + 20, panel.top + 30), RGB(0, 200, 0));
    EXPECT_EQ(uitest::PixelAt(image, panel.left + 20, panel.top + 3),
              TheColorScheme().Main.Background);
    EXPECT_EQ(uitest::PixelAt(image, panel.left - 3, panel.top + 30),
              TheColorScheme().Main.Background);
}

} // namespace
