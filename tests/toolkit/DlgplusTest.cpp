// The dialog base: control lookup, start and stop, texts and tooltips from the
// language file, the fitting of labels to their text, the colour scheme by
// control type, the control-colour answer and the painting of panels.

#include "toolkit/Dlgplus.h"
#include "infra/ColorScheme.h"
#include "infra/LanguageTables.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CDataExchange.h"
#include "platform/ui/CStatic.h"
#include "tests/infra/TempFolder.h"
#include "testsupport/UiTestSupport.h"
#include "toolkit/Tplus.h"

#include <gtest/gtest.h>

using namespace win;
using enum ControlType;

namespace {

// A static text with Tplus that records what the dialog base gives it.
class FakeLabel : public CStatic, public Tplus {
public:
    void SetBackColor(COLORREF c) override { back = c; }
    void SetTextColor(COLORREF c) override { text = c; }
    void SetDisabledTextColor(COLORREF c) override { disabled = c; }
    void SetDisabled(bool d) override { enabled_ = !d; }
    bool IsDisabled() const override { return !enabled_; }
    COLORREF back = CLR_NONE, text = CLR_NONE, disabled = CLR_NONE;
};

// A button with Tplus that records the button colours it gets, and in what order.
class FakeButton : public CButton, public Tplus {
public:
    void SetButtonColors(COLORREF f, COLORREF h, COLORREF, COLORREF t, COLORREF) override {
        calls += "colours ";
        face = f, highlight = h, text = t;
    }
    void SetButtonFace(COLORREF f) override {
        calls += "face ";
        alternate = face;
        face = f;
    }
    std::string calls;
    COLORREF face = CLR_NONE, highlight = 0, text = 0, alternate = CLR_NONE;
};

// Labels 1001.. of 100 x 8 dialog units, push buttons 1101.., a group box 1201
// used as a panel. Opened modeless and shown, with `table` enrolled as the
// windows do it.
class TestDialog : public CDialogEx, public Dlgplus {
public:
    static constexpr int kLabels = 6;
    explicit TestDialog(std::function<std::vector<ControlEntry>(TestDialog&)> table = {})
        : CDialogEx(Layout()), table_(std::move(table)) {
        Setup(this, "TESTDLG");
    }
    void Open() { ASSERT_TRUE(Create(nullptr)); }
    void DoDataExchange(CDataExchange* dx) override {
        for (int i = 0; i < kLabels; ++i) {
            DDX_Control(dx, 1001 + i, labels[i]);
        }
        DDX_Control(dx, 1101, buttons[0]);
        DDX_Control(dx, 1102, buttons[1]);
        DDX_Control(dx, 1201, panelBox);
    }
    bool OnInitDialog() override {
        CDialogEx::OnInitDialog();
        if (init) {
            init(*this);
        } else if (table_) {
            const std::vector<ControlEntry> table = table_(*this);
            SetControlTable(table.data(), static_cast<int>(table.size()));
            UpdateValues();
            ApplyTooltips();
            Invalidate();
            ApplyScheme();
            UpdateStates();
        }
        return true;
    }
    void UpdateValues() override { calls += "UpdateValues "; }
    void UpdateStates() override { calls += "UpdateStates "; }

    FakeLabel labels[kLabels];
    FakeButton buttons[2];
    CButton panelBox;
    std::string calls;
    std::function<void(TestDialog&)> init;

private:
    static DialogTemplate Layout() {
        DialogTemplate t;
        t.caption = "Template Title";
        t.cx = 300;
        t.cy = 200;
        t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
        for (int i = 0; i < kLabels; ++i) {
            t.items.push_back(
                LTEXT("Label " + std::to_string(i), 1001 + i, 50, 10 + 14 * i, 100, 8));
        }
        t.items.push_back(PUSHBUTTON("Apply", 1101, 200, 10, 50, 14));
        t.items.push_back(AUTORADIOBUTTON("Scan", 1102, 200, 30, 50, 10, WS_GROUP));
        t.items.push_back(GROUPBOX("", 1201, 160, 100, 120, 80));
        return t;
    }
    std::function<std::vector<ControlEntry>(TestDialog&)> table_;
};

class DlgplusTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::EnsureApplication();
        SetDefaultColors();
    }
    void TearDown() override { ResetLanguageTables(); }
    // A language file in a fresh folder, taken as the current one.
    void UseLanguage(const std::string& contents, bool loaded) {
        WriteFile(folder_ / "TM80.ENG", contents);
        ResetLanguageTables();
        TheLanguageTables().CurrentLanguageFile = folder_ / "TM80.ENG";
        TheLanguageTables().LanguageLoaded = loaded;
    }
    static CRect Place(CWnd& w) {
        CRect r;
        w.GetWindowRect(&r);
        w.GetParent()->ScreenToClient(&r);
        return r;
    }
    TempFolder folder_;
};

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

TEST_F(DlgplusTest, ControlsAreFoundByExactNameAndByWindow) {
    TestDialog dlg([](TestDialog& d) {
        return std::vector<ControlEntry>{{"IDL_OUTPUT", &d.labels[0], LeftLabel},
                                         {"IDC_VALUE", &d.labels[1], ValueField}};
    });
    dlg.Open();
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
    TestDialog dlg([](TestDialog&) { return std::vector<ControlEntry>{}; });
    dlg.Open();
    dlg.calls.clear();
    dlg.Start();
    EXPECT_EQ(dlg.calls, "UpdateStates UpdateValues ");
    EXPECT_TRUE(dlg.IsRunning());
    EXPECT_EQ(dlg.GetTickCount(), 0);
    ASSERT_TRUE(uitest::WaitUntil([&] { return dlg.GetTickCount() >= 3; }));
    dlg.Stop();
    EXPECT_FALSE(dlg.IsRunning());
    const int ticks = dlg.GetTickCount();
    uitest::WaitUntil([] { return false; }, 50);
    EXPECT_EQ(dlg.GetTickCount(), ticks);
    dlg.Start(); // the count starts again
    EXPECT_EQ(dlg.GetTickCount(), 0);
    dlg.Stop();
}

TEST_F(DlgplusTest, TextsComeFromTheLanguageFileWithTemplateFallbacks) {
    UseLanguage(kLanguage, true);
    TestDialog dlg([](TestDialog& d) {
        return std::vector<ControlEntry>{{"IDL_WIDE", &d.labels[0], LeftLabel},
                                         {"IDL_SHARED", &d.labels[1], LeftLabel},
                                         {"IDL_MISSING", &d.labels[2], LeftLabel},
                                         {"IDL_KEEP", &d.labels[3], LeftLabel, kOverrideKeepText}};
    });
    dlg.Open();
    EXPECT_EQ(dlg.GetWindowText(), "Test Window");
    EXPECT_EQ(dlg.labels[0].GetWindowText(), "A considerably longer heading text");
    EXPECT_EQ(dlg.labels[1].GetWindowText(), "Shared"); // from COMMON
    EXPECT_EQ(dlg.labels[2].GetWindowText(), "Label 2");
    EXPECT_EQ(dlg.labels[3].GetWindowText(), "Label 3"); // bit 27 keeps the template text
    EXPECT_EQ(dlg.GetText("CP_USERNOTES", "User Notes"), "Notes");
    EXPECT_EQ(dlg.GetText("PR_USERNOTES", "Enter the note:"), "Enter the note:");
    // Its own section's tip first, then the general one; an empty tip is still added.
    const std::string tips[] = {"Own tip", "General shared tip", ""};
    for (int i = 0; i < 3; ++i) {
        std::string tip;
        ASSERT_TRUE(dlg.GetTooltip().GetText(tip, &dlg.labels[i]));
        EXPECT_EQ(tip, tips[i]);
    }
}

TEST_F(DlgplusTest, WithoutALanguageSelectedTitleAndTipsStayButTextsAreLookedUp) {
    // A title missing from a selected language file is empty.
    for (const bool loaded : {false, true}) {
        UseLanguage(loaded ? "[COMMON]\nX=1\n" : kLanguage, loaded);
        TestDialog dlg([](TestDialog& d) {
            return std::vector<ControlEntry>{{"IDL_WIDE", &d.labels[0], LeftLabel}};
        });
        dlg.Open();
        EXPECT_EQ(dlg.GetWindowText(), loaded ? "" : "Template Title");
        EXPECT_EQ(dlg.GetTooltip().GetToolCount(), loaded ? 1 : 0);
        if (!loaded) {
            EXPECT_EQ(dlg.labels[0].GetWindowText(), "A considerably longer heading text");
        }
    }
}

TEST_F(DlgplusTest, LabelsFitTheirTextAboutTheEdgeTheirTypeKeeps) {
    UseLanguage(kLanguage, true);
    TestDialog dlg;
    const ControlType types[] = {CentredLabel, LeftLabel, RightLabel, DialogLabel, ValueField};
    std::vector<CRect> before;
    dlg.init = [&](TestDialog& d) {
        std::vector<ControlEntry> table;
        for (int i = 0; i < 5; ++i) {
            before.push_back(Place(d.labels[i]));
            table.push_back({"IDL_WIDE", &d.labels[i], types[i]});
        }
        d.SetControlTable(table.data(), 5);
        d.ApplyScheme();
    };
    dlg.Open();
    const CSize text =
        CClientDC(&dlg.labels[0]).GetTextExtent("A considerably longer heading text");
    ASSERT_GT(text.cx, before[0].Width());
    const CRect centred = Place(dlg.labels[0]), left = Place(dlg.labels[1]);
    EXPECT_EQ(centred.Width(), text.cx);
    EXPECT_EQ(centred.Height(), text.cy);
    EXPECT_LE(std::abs((centred.left + centred.right) - (before[0].left + before[0].right)), 1);
    EXPECT_EQ(left.left, before[1].left);
    EXPECT_EQ(left.Width(), text.cx);
    EXPECT_EQ(Place(dlg.labels[2]).right, before[2].right);
    EXPECT_EQ(Place(dlg.labels[2]).Width(), text.cx);
    EXPECT_EQ(Place(dlg.labels[3]).left, before[3].left);
    EXPECT_EQ(Place(dlg.labels[4]), before[4]) << "a value field is not fitted";
}

TEST_F(DlgplusTest, LabelTypesTakeTheirPaletteColoursOverridesAndEnrolment) {
    const Palette main = PaletteFor(kMainStyle, 0), dialog = PaletteFor(kDialogStyle, 0);
    const struct {
        ControlType type;
        std::uint32_t override;
        int style;
        COLORREF back, text, disabled;
    } cases[] = {
        {DialogLabel, 0, kMainStyle, main.Background, main.Label, main.DisabledText},
        {ValueField, 0, kMainStyle, RGB(255, 255, 255), RGB(0, 0, 0), main.DisabledText},
        {ValueBlock, 0, kDialogStyle, dialog.DataBlockBackground, dialog.Data, dialog.DisabledText},
        {CentredLabel, 0, kMainStyle, main.Background, main.PanelText, main.DisabledText},
        {LeftLabel, 0, kDialogStyle, dialog.Background, dialog.PanelText, dialog.DisabledText},
        {CentredLabel, kOverrideBackground | RGB(0, 200, 0), kMainStyle, RGB(0, 200, 0),
         main.PanelText, main.DisabledText},
        {CentredLabel, kOverridePanelText | RGB(0, 0, 255), kMainStyle, main.Background,
         RGB(0, 0, 255), main.DisabledText},
        {Light, 0, kMainStyle, CLR_NONE, CLR_NONE, CLR_NONE},           // lights: nothing
        {ControlType{25}, 0, kMainStyle, CLR_NONE, CLR_NONE, CLR_NONE}, // outside 0..19
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        TestDialog dlg([&](TestDialog& d) {
            return std::vector<ControlEntry>{{"IDL_X", &d.labels[0], DialogLabel},
                                             {"IDL_Y", &d.labels[1], c.type, c.override, c.style}};
        });
        dlg.Open();
        const FakeLabel& l = dlg.labels[1];
        EXPECT_EQ(std::vector({l.back, l.text, l.disabled}),
                  std::vector({c.back, c.text, c.disabled}));
        const bool enrolled = c.back != CLR_NONE;
        EXPECT_EQ(l.GetType(), enrolled ? c.type : Tplus::kNotEnrolled);
        EXPECT_EQ(l.GetTableIndex(), enrolled ? 1 : -1);
    }
}

TEST_F(DlgplusTest, ButtonTypesTakeTheButtonColours) {
    const ButtonColors& b = TheColorScheme().Buttons;
    TestDialog dlg([](TestDialog& d) {
        return std::vector<ControlEntry>{{"IDC_APPLY", &d.buttons[0], PushButton},
                                         {"IDC_SCAN", &d.buttons[1], OptionButton5}};
    });
    dlg.Open();
    EXPECT_EQ(dlg.buttons[0].GetButtonStyle(), BS_OWNERDRAW);
    EXPECT_EQ(dlg.buttons[0].face, b.Face);
    EXPECT_EQ(dlg.buttons[0].text, b.Text);
    EXPECT_EQ(dlg.buttons[0].GetType(), Tplus::kNotEnrolled);
    // Option buttons: the palette background first (the old face kept), then the button colours.
    EXPECT_EQ(dlg.buttons[1].calls, "face colours ");
    EXPECT_EQ(dlg.buttons[1].alternate, CLR_NONE);
    EXPECT_EQ(dlg.buttons[1].highlight, b.Highlight);
    EXPECT_EQ(dlg.buttons[1].GetButtonStyle(), BS_AUTORADIOBUTTON);
}

TEST_F(DlgplusTest, ControlColourAnswerAndPanelsGoByType) {
    TestDialog dlg([](TestDialog& d) {
        return std::vector<ControlEntry>{
            {"IDC_DATA", &d.labels[0], ValueBlock},
            {"IDC_VALUE", &d.labels[1], ValueField},
            {"IDC_DIM", &d.labels[2], DimmableField},
            {"IDL_HEAD", &d.labels[3], CentredLabel},
            {"IDC_PANEL", &d.panelBox, Panel, kOverrideBackground | RGB(0, 200, 0)}};
    });
    dlg.Open();
    const Palette& main = TheColorScheme().Main;
    CDC dc(DefaultGuiFont());
    auto answer = [&](CWnd* w) { return dlg.AnswerCtlColor(dc, w, CTLCOLOR_STATIC)->Colour(); };
    EXPECT_EQ(answer(&dlg.labels[0]), main.DataBlockBackground);
    EXPECT_EQ(answer(&dlg.labels[1]), RGB(255, 255, 255));
    EXPECT_EQ(answer(&dlg.labels[2]), RGB(255, 255, 255));
    dlg.labels[2].SetDisabled(true);
    EXPECT_EQ(answer(&dlg.labels[2]), main.DisabledText);
    EXPECT_EQ(answer(&dlg.labels[3]), main.Background);
    EXPECT_EQ(answer(&dlg.labels[5]), main.Background); // not enrolled
    EXPECT_EQ(answer(&dlg), main.Background);

    // A panel is painted from seven pixels below its top.
    uitest::Settle();
    const QImage image = uitest::Grab(dlg);
    CRect panel;
    dlg.panelBox.GetWindowRect(&panel);
    dlg.ScreenToClient(&panel);
    EXPECT_EQ(uitest::PixelAt(image, panel.left + 20, panel.top + 30), RGB(0, 200, 0));
    EXPECT_EQ(uitest::PixelAt(image, panel.left + 20, panel.top + 3), main.Background);
    EXPECT_EQ(uitest::PixelAt(image, panel.left - 3, panel.top + 30), main.Background);
}

} // namespace
