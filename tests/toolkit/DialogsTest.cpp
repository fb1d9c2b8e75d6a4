// The dialog base (control lookup, start and stop, texts and tooltips from the
// language file, the fitting of labels to their text, the control-colour
// answer, panels) and the entry dialogs, driven by keys and clicks while modal.

#include "infra/ColorScheme.h"
#include "infra/LanguageTables.h"
#include "platform/ui/CButton.h"
#include "platform/ui/CDC.h"
#include "platform/ui/CDataExchange.h"
#include "tests/infra/TempFolder.h"
#include "tests/toolkit/TestWindows.h"
#include "testsupport/ScriptedCommonDialogs.h"
#include "toolkit/Dlgplus.h"
#include "toolkit/EntryDialogs.h"
#include "toolkit/Staticplus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <deque>

using namespace win;
using enum ControlType;

namespace {

// Labels 1001.. of 100 x 8 dialog units and a group box 1201 used as a panel.
// Opened modeless and shown, with a table enrolled as the windows do it.
class TestDialog : public CDialogEx, public Dlgplus {
public:
    TestDialog() : CDialogEx(Layout()) { Setup(this, "TESTDLG"); }
    void Open(std::vector<ControlEntry> table) {
        table_ = std::move(table);
        ASSERT_TRUE(Create(nullptr));
    }
    void DoDataExchange(CDataExchange* dx) override {
        for (int i = 0; i < 6; ++i) {
            DDX_Control(dx, 1001 + i, labels[i]);
        }
        DDX_Control(dx, 1201, panelBox);
    }
    bool OnInitDialog() override {
        CDialogEx::OnInitDialog();
        SetControlTable(table_.data(), static_cast<int>(table_.size()));
        UpdateValues();
        ApplyTooltipsAndScheme();
        UpdateStates();
        return true;
    }
    void UpdateValues() override { calls += "UpdateValues "; }
    void UpdateStates() override { calls += "UpdateStates "; }
    Staticplus labels[6];
    CButton panelBox;
    std::string calls;

private:
    static DialogTemplate Layout() {
        DialogTemplate t{.caption = "Template Title", .cx = 300, .cy = 200, .items = {}};
        t.style |= WS_VISIBLE;
        for (int i = 0; i < 6; ++i) {
            t.items.push_back(
                LTEXT("Label " + std::to_string(i), 1001 + i, 50, 10 + 14 * i, 100, 8));
        }
        t.items.push_back(GROUPBOX("", 1201, 160, 100, 120, 80));
        return t;
    }
    std::vector<ControlEntry> table_;
};

class DlgplusTest : public ::testing::Test {
protected:
    void SetUp() override {
        uitest::EnsureApplication();
        SetDefaultColors();
    }
    void TearDown() override { ResetLanguageTables(); }
    void UseLanguage(const std::string& contents, bool loaded) {
        WriteFile(folder_ / "TM80.ENG", contents);
        ResetLanguageTables();
        TheLanguageTables().CurrentLanguageFile = folder_ / "TM80.ENG";
        TheLanguageTables().LanguageLoaded = loaded;
    }
    static CRect Place(CWnd& w) { return uitest::RectIn(*w.GetParent(), w); }
    TempFolder folder_;
};

constexpr const char* kLanguage =
    "[TESTDLG]\nTITLE=Test Window\nIDL_WIDE=A considerably longer heading text\n"
    "IDL_KEEP=From the language file\nCP_USERNOTES=Notes // a remark\n"
    "[COMMON]\nIDL_SHARED=Shared\n[TT_TESTDLG]\nIDL_WIDE=Own tip\n"
    "[TOOLTIPS]\nIDL_WIDE=General tip\nIDL_SHARED=General shared tip\n";

TEST_F(DlgplusTest, StartRefreshesAndTicksUntilStopped) {
    TestDialog dlg;
    dlg.Open({});
    dlg.SetControlTable(nullptr, 3); // no table given: none enrolled
    EXPECT_EQ(dlg.GetControlCount(), 0);
    dlg.calls.clear();
    dlg.Start();
    EXPECT_EQ(dlg.calls, "UpdateStates UpdateValues ");
    EXPECT_TRUE(dlg.IsRunning());
    EXPECT_EQ(dlg.GetTickCount(), 0);
    ASSERT_TRUE(WaitUntil([&] { return dlg.GetTickCount() >= 3; }));
    dlg.Stop();
    EXPECT_FALSE(dlg.IsRunning());
    const int ticks = dlg.GetTickCount();
    WaitUntil([] { return false; }, 50);
    EXPECT_EQ(dlg.GetTickCount(), ticks);
    dlg.Start(); // the count starts again
    EXPECT_EQ(dlg.GetTickCount(), 0);
    dlg.Stop();
}

TEST_F(DlgplusTest, TextsComeFromTheLanguageFileWithTemplateFallbacks) {
    // Without a language the template's title stays and no tip is added, but texts are looked
    // up; a title missing from a selected language file is empty.
    for (const bool loaded : {false, true}) {
        UseLanguage(loaded ? "[COMMON]\nX=1\n" : kLanguage, loaded);
        TestDialog dlg;
        dlg.Open({{"IDL_WIDE", &dlg.labels[0], LeftLabel}});
        EXPECT_EQ(dlg.GetWindowText(), loaded ? "" : "Template Title");
        EXPECT_EQ(dlg.GetTooltip().GetToolCount(), loaded ? 1 : 0);
        EXPECT_EQ(dlg.labels[0].GetWindowText(),
                  loaded ? "Label 0" : "A considerably longer heading text");
    }
    UseLanguage(kLanguage, true);
    TestDialog dlg;
    dlg.Open({{"IDL_WIDE", &dlg.labels[0], LeftLabel},
              {"IDL_SHARED", &dlg.labels[1], LeftLabel},
              {"IDL_MISSING", &dlg.labels[2], LeftLabel},
              {"IDL_KEEP", &dlg.labels[3], LeftLabel, kOverrideKeepText}});
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

TEST_F(DlgplusTest, LabelsFitTheirTextAboutTheEdgeTheirTypeKeeps) {
    UseLanguage(kLanguage, true);
    TestDialog plain, dlg;
    plain.Open({});
    const ControlType types[] = {CentredLabel, LeftLabel, RightLabel, DialogLabel, ValueField};
    std::vector<ControlEntry> table;
    std::vector<CRect> before;
    for (int i = 0; i < 5; ++i) {
        table.push_back({"IDL_WIDE", &dlg.labels[i], types[i]});
        before.push_back(Place(plain.labels[i]));
    }
    dlg.Open(table);
    const CSize text =
        CClientDC(&dlg.labels[0]).GetTextExtent("A considerably longer heading text");
    ASSERT_GT(text.cx, before[0].Width());
    const CRect centred = Place(dlg.labels[0]), left = Place(dlg.labels[1]),
                right = Place(dlg.labels[2]);
    EXPECT_EQ((std::vector<int>{centred.Width(), centred.Height(), left.left, left.Width(),
                                right.right, right.Width(), Place(dlg.labels[3]).left}),
              (std::vector<int>{text.cx, text.cy, before[1].left, text.cx, before[2].right, text.cx,
                                before[3].left}));
    EXPECT_LE(std::abs((centred.left + centred.right) - (before[0].left + before[0].right)), 1);
    EXPECT_EQ(Place(dlg.labels[4]), before[4]) << "a value field is not fitted";
}

TEST_F(DlgplusTest, ControlsFoundByExactNameOrWindowAnswerTheirColourAndPanelsArePainted) {
    TestDialog dlg;
    dlg.Open({{"IDC_DATA", &dlg.labels[0], ValueBlock},
              {"IDC_VALUE", &dlg.labels[1], ValueField},
              {"IDC_DIM", &dlg.labels[2], DimmableField},
              {"IDL_HEAD", &dlg.labels[3], CentredLabel},
              {"IDC_PANEL", &dlg.panelBox, Panel, kOverrideBackground | RGB(0, 200, 0)}});
    const Palette& main = TheColorScheme().Main;
    CDC dc(DefaultGuiFont());
    auto answer = [&](CWnd* w) { return dlg.AnswerCtlColor(dc, w, CTLCOLOR_STATIC)->Colour(); };
    EXPECT_EQ(Colours({answer(&dlg.labels[0]), answer(&dlg.labels[1]), answer(&dlg.labels[2])}),
              Colours({main.DataBlockBackground, RGB(255, 255, 255), RGB(255, 255, 255)}));
    dlg.labels[2].SetDisabled(true);
    // labels[5] is not enrolled.
    EXPECT_EQ(Colours({answer(&dlg.labels[2]), answer(&dlg.labels[3]), answer(&dlg.labels[5]),
                       answer(&dlg)}),
              Colours({main.DisabledText, main.Background, main.Background, main.Background}));
    EXPECT_EQ(dlg.FindControlByName("IDC_VALUE"), 1);
    EXPECT_EQ(dlg.FindControlByName("idc_value"), -1);
    EXPECT_EQ(dlg.FindControlByName("IDC_VALUE_1"), -1);
    EXPECT_EQ(dlg.FindControlByWindow(&dlg.labels[1]), 1);
    EXPECT_EQ(dlg.FindControlByWindow(&dlg.labels[5]), -1);
    EXPECT_TRUE(dlg.SetControlStyle("IDC_VALUE", 10));
    EXPECT_EQ(dlg.GetControlEntry(1).style, 10);
    EXPECT_FALSE(dlg.SetControlStyle("IDC_NONE", 10));
    // A panel is painted from seven pixels below its top.
    Settle();
    const CRect p = Place(dlg.panelBox);
    EXPECT_EQ(
        Pixels(Grab(dlg),
               {{p.left + 20, p.top + 30}, {p.left + 20, p.top + 3}, {p.left - 3, p.top + 30}}),
        Colours({RGB(0, 200, 0), main.Background, main.Background}));
}

using Step = std::function<void(QWidget* window)>;

// Answers successive entry windows, one step each, and notes what each showed:
// "title|prompt|message|field".
class Operator {
public:
    explicit Operator(std::deque<Step> steps) : steps_(std::move(steps)) { Next(); }
    std::vector<std::string> seen;

private:
    void Next() {
        if (!steps_.empty()) {
            uitest::WhenReady([this] { return Fresh() != nullptr; }, [this] { Answer(Fresh()); });
        }
    }
    QWidget* Fresh() const {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w != handled_.data() &&
                (w->findChild<QLineEdit*>() || w->findChild<QComboBox*>())) {
                return w;
            }
        }
        return nullptr;
    }
    void Answer(QWidget* w) {
        handled_ = w;
        const auto labels = w->findChildren<QLabel*>();
        const auto* edit = w->findChild<QLineEdit*>();
        seen.push_back(w->windowTitle().toStdString() + "|" +
                       (labels.size() > 0 ? labels[0]->text().toStdString() : "") + "|" +
                       (labels.size() > 1 ? labels[1]->text().toStdString() : "") + "|" +
                       (edit ? edit->text().toStdString() : ""));
        const Step step = std::move(steps_.front());
        steps_.pop_front();
        Next();
        step(w);
    }
    std::deque<Step> steps_;
    QPointer<QWidget> handled_;
};

Step Type(const char* text, Qt::Key finish = Qt::Key_Return) {
    return [text, finish](QWidget* w) {
        auto* edit = w->findChild<QLineEdit*>();
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, finish);
    };
}

Step Press(const char* button) {
    return [button](QWidget* w) {
        for (auto* b : w->findChildren<QPushButton*>()) {
            if (b->text() == button) {
                QTest::mouseClick(b, Qt::LeftButton);
            }
        }
    };
}

using EntryDialogsTest = DlgplusTest;

TEST_F(EntryDialogsTest, EnterNumberAsksAgainUntilTheEntryIsValid) {
    Operator op({Type("5"), Type("x"), Type("0x3")});
    int value = 2;
    // The bounds may come in either order.
    EXPECT_TRUE(EnterNumber(value, 4, 1, "Enter Number of Devices to Launch", "999"));
    EXPECT_EQ(value, 3);
    const std::string asked = "Input Range 4 to 1|Enter Number of Devices to Launch|";
    EXPECT_EQ(op.seen, std::vector({asked + "|2", asked + "Entry is Out of Range|5",
                                    asked + "Please Enter a Valid Integer|x"}));
}

TEST_F(EntryDialogsTest, EnterNumberExpandsUnitLettersAndReadsEmptyAsZero) {
    Operator op({Type("1k"), Type(""), Press("Cancel")});
    int value = 7;
    // The expanded entry is shown again whole, longer than the field takes typed.
    EXPECT_FALSE(EnterNumber(value, 1, 999, "Count", "99"));
    EXPECT_EQ(value, 7); // cancelled: the caller keeps its value
    const std::string asked = "Input Range 1 to 999|Count|";
    EXPECT_EQ(op.seen, std::vector({asked + "|7", asked + "Entry is Out of Range|1000",
                                    asked + "Entry is Out of Range|"}));
}

TEST_F(EntryDialogsTest, ChooseFromListByMouseKeysAndButtons) {
    const auto key = [](Qt::Key k) {
        return [k](QWidget* w) { QTest::keyClick(w->findChild<QComboBox*>(), k); };
    };
    Operator op({[](QWidget* w) {
                     // A click on a choice in the open list answers at once.
                     auto* combo = w->findChild<QComboBox*>();
                     combo->showPopup();
                     QAbstractItemView* view = combo->view();
                     WaitUntil([&] { return view->isVisible(); });
                     const QRect item = view->visualRect(view->model()->index(2, 0));
                     QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                                       QPoint(view->viewport()->width() / 2, item.center().y()));
                 },
                 key(Qt::Key_Return), key(Qt::Key_Escape), Press("OK")});
    int selected = -1;
    EXPECT_TRUE(ChooseFromList(0, {"LL", "UL", "C1", "C2"}, "Band Selection", "Select Band:", 4,
                               selected, nullptr));
    EXPECT_EQ(selected, 2);
    EXPECT_EQ(op.seen[0], "Band Selection|Select Band:||");
    EXPECT_TRUE(ChooseFromList(1, {"LL", "UL"}, "Band", "Select Band:", 2, selected, nullptr));
    EXPECT_EQ(selected, 1);
    selected = -1;
    EXPECT_FALSE(ChooseFromList(1, {"LL", "UL"}, "Band", "Select Band:", 2, selected, nullptr));
    EXPECT_EQ(selected, -1);
    // Nothing selected and OK: no index to give.
    EXPECT_FALSE(ChooseFromList(-1, {"LL", "UL"}, "Band", "Select Band:", 2, selected, nullptr));
}

TEST_F(EntryDialogsTest, FileChoicesGoThroughTheCommonDialogs) {
    auto scripted = std::make_unique<ScriptedCommonDialogs>();
    ScriptedCommonDialogs* dialogs = scripted.get();
    auto previous = CommonDialogs::Install(std::move(scripted));
    dialogs->AnswerFile("/work/setups/00A1-1012_Setup/a.TM80");
    std::string path;
    EXPECT_TRUE(ChooseFileToOpen(path, "/work/setups", "TM80", "Recall Setup", "a.TM80",
                                 "Setup Files (*.TM80)|*.TM80||"));
    EXPECT_EQ(path, "/work/setups/00A1-1012_Setup/a.TM80");
    EXPECT_FALSE(ChooseFileToSave(path, "/work/setups", "TM80", "Save Setup", "", ""));
    ASSERT_EQ(dialogs->History().size(), 2u);
    const auto& shown = dialogs->History();
    EXPECT_EQ(shown[0].file.initialFolder, "/work/setups");
    EXPECT_EQ(std::pair(shown[0].file.save, shown[1].file.save), std::pair(false, true));
    CommonDialogs::Install(std::move(previous));
}

} // namespace
