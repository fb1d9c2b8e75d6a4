// The rows of the main window, and the window from the keyboard.

#include "app/mainwindow/Resources.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "infra/ColorScheme.h"
#include "tests/app/AppTestSupport.h"
#include "toolkit/Staticball.h"

#include <filesystem>

using namespace apptest;
using namespace res;

namespace {

constexpr win::COLORREF kGreen = win::RGB(0, 255, 0);

using RowsTest = AppTestOn<62>;

win::COLORREF Fill(const CTM80_AppDlg& dlg, int id) {
    return dynamic_cast<const Staticball&>(*dlg.GetDlgItem(id)).GetFillColor();
}

bool Visible(const CTM80_AppDlg& dlg, int id) {
    return dlg.GetDlgItem(id)->IsWindowVisible();
}

TEST_F(RowsTest, RemovedRowIsFilledFirstByTheNextUnitAndAFifthIsRefused) {
    RunWithUnits(1, {"UNIT A", "UNIT B", "UNIT C"}, [&](CTM80_AppDlg& dlg) {
        EXPECT_TRUE(RowShown(dlg, 2));
        EXPECT_FALSE(RowShown(dlg, 3));
        // The remove button of row 2 closes that unit's connection at once.
        Click(dlg, IDC_REMOVE[1]);
        EXPECT_FALSE(RowShown(dlg, 1));
        EXPECT_EQ(TheSlotTable().Slot(1), nullptr);
        EXPECT_FALSE(TheSlotTable().At(1).occupied);
        EXPECT_TRUE(WaitUntil([&] { return Unit(1).OpenConnections() == 0; }));
        ASSERT_TRUE(Add(dlg, StartUnit(1, 4, "UNIT D")));
        EXPECT_TRUE(RowShown(dlg, 1));
        EXPECT_FALSE(RowShown(dlg, 3));
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[0]), "UNIT A");
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[1]), "UNIT D");
        EXPECT_EQ(LabelText(dlg, IDC_ADDRESS[1]), Address(1, 4));
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[2]), "UNIT C");
        // The refilled position opens the new unit's window at the first press.
        DefaultDlg* window = CTM80_AppDlg::DeviceWindowOf(1);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(window->IsWindowVisible());
        EXPECT_FALSE(TheSlotTable().At(1).windowShown);
        Click(dlg, IDC_DEVICE_BUTTON[1]);
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_TRUE(TheSlotTable().At(1).windowShown);
        EXPECT_EQ(window->GetUnitIndex(), 1);
        // Its close box hides it and clears the flag; the button shows it again.
        window->GetNative()->window()->close();
        Settle();
        EXPECT_FALSE(window->IsWindowVisible());
        EXPECT_FALSE(TheSlotTable().At(1).windowShown);
        Click(dlg, IDC_DEVICE_BUTTON[1]);
        EXPECT_TRUE(window->IsWindowVisible());
        // Minimised, the button brings it back to its normal state.
        window->ShowWindow(win::SW_MINIMIZE);
        Settle();
        ASSERT_TRUE(window->IsIconic());
        Click(dlg, IDC_DEVICE_BUTTON[1]);
        Settle();
        EXPECT_FALSE(window->IsIconic());
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_TRUE(TheSlotTable().At(1).windowShown);
        // Removing the unit destroys its window.
        Click(dlg, IDC_REMOVE[1]);
        EXPECT_EQ(CTM80_AppDlg::DeviceWindowOf(1), nullptr);
        // A fifth unit is refused, never opened, its connection closed.
        for (int b = 4; b <= 6; ++b) {
            EXPECT_EQ(Add(dlg, StartUnit(1, b + 1, "UNIT " + std::to_string(b))), b < 6);
        }
        EXPECT_EQ(Messages(), Texts{"All four device positions are in use."});
        EXPECT_EQ(dialogs->History()[0].message.caption, "Add Device");
        EXPECT_TRUE(WaitUntil([&] { return Unit(6).OpenConnections() == 0; }));
        EXPECT_EQ(Unit(6).LedFlashes(), 0);
        const char* rows[] = {"UNIT A", "UNIT 4", "UNIT C", "UNIT 5"};
        for (int row = 0; row < kUnitPositions; ++row) {
            EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[row]), rows[row]);
        }
    });
}

TEST_F(RowsTest, SplitTwoFourLightsItsLightAndShowsTheHalfFrames) {
    sim::SimUnit& unit = StartUnit(2, 1, "SPLIT");
    {
        // The unit runs split 2:4 before it is added.
        TCPCom tool(unit.Config().address.c_str());
        CTM80M1_Comm model(&tool);
        ASSERT_EQ(model.SetSplitAndBands(1, {0, 0, 0, 0, 1, 1, 1, 1}), 1);
    }
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, unit));
        Settle();
        const win::COLORREF background = TheColorScheme().Main.Background;
        EXPECT_TRUE(Visible(dlg, IDC_FRAME_FIRST_HALF[0]));
        EXPECT_TRUE(Visible(dlg, IDC_FRAME_SECOND_HALF[0]));
        EXPECT_FALSE(Visible(dlg, IDC_FRAME_FIRST_HALF[1]));
        // Outputs 5-8 stand apart from 1-4, room for the half frames between them.
        const auto gapBefore = [&](int k) {
            return RectIn(dlg, IDC_OUTPUT_FIRST[0] + k).left -
                   RectIn(dlg, IDC_OUTPUT_FIRST[0] + k - 1).right;
        };
        EXPECT_GT(gapBefore(4), gapBefore(3));
        // On screen: the ball of the 2:4 light is green, the 1:8 ball is not.
        const QImage image = Grab(dlg);
        const auto ball = [&](int id) {
            const win::CRect r = RectIn(dlg, id);
            return PixelAt(image, r.left + 7, (r.top + r.bottom) / 2);
        };
        EXPECT_EQ(ball(IDC_MODE_2_4[0]), kGreen);
        EXPECT_EQ(ball(IDC_MODE_1_8[0]), background);
        // A page switches the unit to 1:8 and tells the main window.
        UnitSlot* slot = TheSlotTable().Slot(0);
        ASSERT_NE(slot, nullptr);
        ASSERT_EQ(slot->Unit()->SetSplitAndBands(0, slot->bandSelection), 1);
        ASSERT_EQ(slot->Unit()->ReadSplitAndBands(), 1);
        slot->split = slot->Unit()->settings.split;
        slot->RefreshMainWindow();
        slot->RefreshMainWindowStates();
        EXPECT_EQ(Fill(dlg, IDC_MODE_1_8[0]), kGreen);
        EXPECT_EQ(Fill(dlg, IDC_MODE_2_4[0]), background);
        EXPECT_FALSE(Visible(dlg, IDC_FRAME_FIRST_HALF[0]));
        EXPECT_FALSE(Visible(dlg, IDC_FRAME_SECOND_HALF[0]));
        EXPECT_TRUE(Visible(dlg, IDC_FRAME_ALL[0]));
        // A band number the unit has no band for names nothing.
        slot->bandSelection[0] = UnitSlot::kBands;
        slot->RefreshMainWindow();
        EXPECT_EQ(LabelText(dlg, IDC_OUTPUT_FIRST[0]), "");
    });
}

// The markers follow what the closed device windows see; a lost unit's split light goes grey.
TEST_F(RowsTest, StateMarkerShowsAnsweringHotAndLost) {
    const win::COLORREF yellow = win::RGB(255, 255, 0);
    const win::COLORREF grey = win::RGB(128, 128, 128);
    RunWithUnits(5, {"WELL", "HOT", "LOST"}, [&](CTM80_AppDlg& dlg) {
        Unit(1).SetTemperature(85);
        Unit(2).SetFault(sim::Fault::Silent);
        const struct {
            win::COLORREF marker, split;
            const char* tip;
        } rows[] = {
            {kGreen, kGreen, "Answering"},
            {yellow, kGreen, "Too hot: above 80 \260C"},
            {grey, grey, "Connection lost: remove the unit and add it again"},
        };
        const auto painted = [&](int row, win::COLORREF colour) {
            const win::CRect r = RectIn(dlg, IDC_STATE[row]);
            return CountColour(Grab(dlg), colour, r.left, r.top, r.Width(), r.Height()) > 10;
        };
        const auto tip = [&](int row) {
            return dlg.GetDlgItem(IDC_STATE[row])->GetNative()->toolTip().toLatin1().toStdString();
        };
        // A failed read takes its budget; the unit is quiet (grey) from the
        // first, lost once the note check has failed too.
        EXPECT_TRUE(WaitUntil([&] { return painted(1, yellow) && tip(2) == rows[2].tip; }, 15000));
        EXPECT_TRUE(painted(2, grey));
        EXPECT_TRUE(painted(0, kGreen));
        for (int row = 0; row < 3; ++row) {
            SCOPED_TRACE(row);
            EXPECT_EQ(Fill(dlg, IDC_STATE[row]), rows[row].marker);
            EXPECT_EQ(Fill(dlg, IDC_MODE_1_8[row]), rows[row].split);
            EXPECT_EQ(tip(row), rows[row].tip);
        }
        EXPECT_FALSE(Visible(dlg, IDC_STATE[3]));
    });
}

using KeyboardTest = AppTestOn<65>;

// A focused push button (the platform's and the owner-drawn) shows a dotted
// rectangle inside its edge, every other pixel inverted.
TEST_F(KeyboardTest, TabFocusMarksAndOneKeyAsksBeforeItRemovesAUnitOrEndsTheProgram) {
    RunWithUnits(2, {"ONE", "TWO"}, [&](CTM80_AppDlg& dlg) {
        ASSERT_TRUE(WaitUntil([&] { return dlg.GetNative()->window()->isActiveWindow(); }));
        dlg.GetDlgItem(IDC_REMOVE[0])->SetFocus();
        std::vector<int> visited;
        for (int k = 0; k < 6; ++k) {
            const win::CWnd* focus = win::CWnd::GetFocus();
            visited.push_back(focus != nullptr ? focus->GetDlgCtrlID() : -1);
            Press(dlg, Qt::Key_Tab);
        }
        EXPECT_EQ(visited, (std::vector<int>{IDC_REMOVE[0], IDC_DEVICE_BUTTON[0], IDC_REMOVE[1],
                                             IDC_DEVICE_BUTTON[1], IDC_ADD_DEVICE, IDC_REMOVE[0]}));
        const struct {
            int id, other, inset;
        } marks[] = {{IDC_DEVICE_BUTTON[0], IDC_REMOVE[0], 3},
                     {IDC_REMOVE[0], IDC_DEVICE_BUTTON[0], 2}};
        for (const auto& c : marks) {
            win::CWnd& button = *dlg.GetDlgItem(c.id);
            dlg.GetDlgItem(c.other)->SetFocus();
            Settle();
            const win::COLORREF plain = PixelAt(Grab(button), c.inset, c.inset);
            button.SetFocus();
            Settle();
            EXPECT_EQ(PixelAt(Grab(button), c.inset, c.inset),
                      win::RGB(255 - win::GetRValue(plain), 255 - win::GetGValue(plain),
                               255 - win::GetBValue(plain)))
                << c.id;
        }
        const std::string removeQuestion = "Remove Device 1 (" + Address(2, 1) + ")?";
        const struct {
            const char* what;
            Qt::Key key; // Qt::Key_unknown: a click
            int answer;
            std::vector<std::string> asked;
            bool removed;
        } keys[] = {
            {"Enter, no", Qt::Key_Return, win::IDNO, {removeQuestion}, false},
            {"Space, yes", Qt::Key_Space, win::IDYES, {removeQuestion}, true},
            {"click", Qt::Key_unknown, win::IDNO, {}, true},
        };
        for (const auto& c : keys) {
            SCOPED_TRACE(c.what);
            if (TheSlotTable().Slot(0) == nullptr) {
                ASSERT_TRUE(Add(dlg, Unit(0)));
            }
            dialogs->ClearHistory();
            dialogs->AnswerMessageBox(c.answer);
            if (c.key == Qt::Key_unknown) {
                Click(dlg, IDC_REMOVE[0]);
            } else {
                dlg.GetDlgItem(IDC_REMOVE[0])->SetFocus();
                Press(dlg, c.key);
            }
            Settle();
            EXPECT_EQ(Messages(), c.asked);
            EXPECT_EQ(TheSlotTable().Slot(0) == nullptr, c.removed);
        }
        // Esc answered no leaves the window open and the configuration unsaved.
        dialogs->ClearHistory();
        dialogs->AnswerMessageBox(win::IDNO);
        Press(dlg, Qt::Key_Escape);
        Settle();
        EXPECT_EQ(Messages(), Texts{CTM80_AppDlg::kExitQuestion});
        EXPECT_TRUE(dlg.IsWindowVisible());
        EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
    });
}

} // namespace
