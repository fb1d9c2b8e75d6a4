// The rows of the main window: filling the lowest free position, removing,
// the split lights and half frames, the device buttons, a fifth unit, the
// state marker of a unit that answers, is too hot or is lost.

#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/Resources.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "infra/ColorScheme.h"
#include "platform/ui/CButton.h"
#include "tests/app/AppTestSupport.h"
#include "toolkit/Staticball.h"

#include <QTest>
#include <QWidget>

using namespace apptest;
using namespace res;

namespace {

class RowsTest : public AppTest {
protected:
    RowsTest() : AppTest(62) {}
    void SetUp() override {
        AppTest::SetUp();
        StartUp();
    }
};

const Staticball& Light(const CTM80_AppDlg& dlg, int id) {
    return dynamic_cast<const Staticball&>(*dlg.GetDlgItem(id));
}

void ClickButton(CTM80_AppDlg& dlg, int id) {
    QTest::mouseClick(dlg.GetDlgItem(id)->GetNative(), Qt::LeftButton);
}

TEST_F(RowsTest, RemovedRowIsFilledFirstByTheNextUnit) {
    sim::SimUnit& a = StartUnit(1, 1, "UNIT A");
    sim::SimUnit& b = StartUnit(1, 2, "UNIT B");
    sim::SimUnit& c = StartUnit(1, 3, "UNIT C");
    sim::SimUnit& d = StartUnit(1, 4, "UNIT D");
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, a));
        ASSERT_TRUE(Add(dlg, b));
        ASSERT_TRUE(Add(dlg, c));
        EXPECT_TRUE(RowShown(dlg, 2));
        EXPECT_FALSE(RowShown(dlg, 3));

        // The remove button of row 2 closes that unit's connection at once.
        ClickButton(dlg, IDC_REMOVE[1]);
        EXPECT_FALSE(RowShown(dlg, 1));
        EXPECT_EQ(TheSlotTable().Slot(1), nullptr);
        EXPECT_FALSE(TheSlotTable().At(1).occupied);
        EXPECT_TRUE(WaitUntil([&] { return b.OpenConnections() == 0; }));

        ASSERT_TRUE(Add(dlg, d));
        EXPECT_TRUE(RowShown(dlg, 1));
        EXPECT_FALSE(RowShown(dlg, 3));
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[0]), "UNIT A");
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[1]), "UNIT D");
        EXPECT_EQ(LabelText(dlg, IDC_ADDRESS[1]), Address(1, 4));
        EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[2]), "UNIT C");

        // The refilled position opens the new unit's window at the first press.
        ClickButton(dlg, IDC_DEVICE_BUTTON[1]);
        DefaultDlg* window = CTM80_AppDlg::DeviceWindowOf(1);
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_TRUE(TheSlotTable().At(1).windowShown);
        EXPECT_EQ(window->GetUnitIndex(), 1);
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
    ASSERT_EQ(unit.Split(), 1);

    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, unit));
        Settle();
        const win::COLORREF green = win::RGB(0, 255, 0);
        const win::COLORREF background = TheColorScheme().Main.Background;
        EXPECT_TRUE(dlg.GetDlgItem(IDC_FRAME_FIRST_HALF[0])->IsWindowVisible());
        EXPECT_TRUE(dlg.GetDlgItem(IDC_FRAME_SECOND_HALF[0])->IsWindowVisible());
        EXPECT_FALSE(dlg.GetDlgItem(IDC_FRAME_FIRST_HALF[1])->IsWindowVisible());

        // On screen: the ball of the 2:4 light is green, the 1:8 ball is not.
        const QImage image = Grab(dlg);
        const auto ballCentre = [&](int id) {
            win::CRect r;
            dlg.GetDlgItem(id)->GetWindowRect(&r);
            dlg.ScreenToClient(&r);
            return win::CPoint(r.left + 7, (r.top + r.bottom) / 2);
        };
        const win::CPoint lit = ballCentre(IDC_MODE_2_4[0]);
        const win::CPoint unlit = ballCentre(IDC_MODE_1_8[0]);
        EXPECT_EQ(PixelAt(image, lit.x, lit.y), green);
        EXPECT_EQ(PixelAt(image, unlit.x, unlit.y), background);

        // A page switches the unit to 1:8 and tells the main window.
        UnitSlot* slot = TheSlotTable().Slot(0);
        ASSERT_NE(slot, nullptr);
        ASSERT_EQ(slot->Unit()->SetSplitAndBands(0, slot->bandSelection), 1);
        ASSERT_EQ(slot->Unit()->ReadSplitAndBands(), 1);
        slot->split = slot->Unit()->settings.split;
        slot->RefreshMainWindow();
        slot->RefreshMainWindowStates();
        EXPECT_EQ(Light(dlg, IDC_MODE_1_8[0]).GetFillColor(), green);
        EXPECT_EQ(Light(dlg, IDC_MODE_2_4[0]).GetFillColor(), background);
        EXPECT_FALSE(dlg.GetDlgItem(IDC_FRAME_FIRST_HALF[0])->IsWindowVisible());
        EXPECT_FALSE(dlg.GetDlgItem(IDC_FRAME_SECOND_HALF[0])->IsWindowVisible());
        EXPECT_TRUE(dlg.GetDlgItem(IDC_FRAME_ALL[0])->IsWindowVisible());

        // A band number the unit has no band for names nothing.
        slot->bandSelection[0] = UnitSlot::kBands;
        slot->RefreshMainWindow();
        EXPECT_EQ(LabelText(dlg, IDC_OUTPUT_FIRST[0]), "");
    });
}

TEST_F(RowsTest, FifthUnitIsRefusedWithAMessage) {
    std::vector<sim::SimUnit*> units;
    for (int b = 1; b <= 5; ++b) {
        units.push_back(&StartUnit(3, b, "UNIT " + std::to_string(b)));
    }
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(Add(dlg, *units[static_cast<std::size_t>(i)]));
        }
        EXPECT_TRUE(dialogs->History().empty());

        EXPECT_FALSE(Add(dlg, *units[4]));
        ASSERT_EQ(dialogs->History().size(), 1u);
        EXPECT_EQ(dialogs->History()[0].message.text, "All four device positions are in use.");
        EXPECT_EQ(dialogs->History()[0].message.caption, "Add Device");
        // The refused unit was never opened and its connection is closed.
        EXPECT_TRUE(WaitUntil([&] { return units[4]->OpenConnections() == 0; }));
        EXPECT_EQ(units[4]->LedFlashes(), 0);
        for (int row = 0; row < kUnitPositions; ++row) {
            EXPECT_EQ(LabelText(dlg, IDC_DEVICE_ID[row]), "UNIT " + std::to_string(row + 1));
        }
    });
}

TEST_F(RowsTest, DeviceButtonShowsRestoresAndRaisesTheWindow) {
    sim::SimUnit& unit = StartUnit(4, 1, "WINDOW");
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, unit));
        DefaultDlg* window = CTM80_AppDlg::DeviceWindowOf(0);
        ASSERT_NE(window, nullptr);
        EXPECT_FALSE(window->IsWindowVisible());
        EXPECT_FALSE(TheSlotTable().At(0).windowShown);

        ClickButton(dlg, IDC_DEVICE_BUTTON[0]);
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_TRUE(TheSlotTable().At(0).windowShown);

        // Its close box hides it and clears the flag; the button shows it again.
        window->GetNative()->window()->close();
        Settle();
        EXPECT_FALSE(window->IsWindowVisible());
        EXPECT_FALSE(TheSlotTable().At(0).windowShown);
        ClickButton(dlg, IDC_DEVICE_BUTTON[0]);
        EXPECT_TRUE(window->IsWindowVisible());

        // Minimised, the button brings it back to its normal state.
        window->ShowWindow(win::SW_MINIMIZE);
        Settle();
        ASSERT_TRUE(window->IsIconic());
        ClickButton(dlg, IDC_DEVICE_BUTTON[0]);
        Settle();
        EXPECT_FALSE(window->IsIconic());
        EXPECT_TRUE(window->IsWindowVisible());
        EXPECT_TRUE(TheSlotTable().At(0).windowShown);
        // Removing the unit destroys its window.
        ClickButton(dlg, IDC_REMOVE[0]);
        EXPECT_EQ(CTM80_AppDlg::DeviceWindowOf(0), nullptr);
        EXPECT_FALSE(RowShown(dlg, 0));
    });
}

// Each row's marker, as painted, and its tool tip follow what the unit's
// device window sees, with its window closed: green while the unit answers,
// yellow while it is too hot, grey while its connection is lost, the lit
// split light grey too.
TEST_F(RowsTest, StateMarkerShowsAnsweringHotAndLost) {
    sim::SimUnit& well = StartUnit(5, 1, "WELL");
    sim::SimUnit& hot = StartUnit(5, 2, "HOT");
    sim::SimUnit& lost = StartUnit(5, 3, "LOST");
    const win::COLORREF green = win::RGB(0, 255, 0);
    const win::COLORREF yellow = win::RGB(255, 255, 0);
    const win::COLORREF grey = win::RGB(128, 128, 128);
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        for (sim::SimUnit* unit : {&well, &hot, &lost}) {
            ASSERT_TRUE(Add(dlg, *unit));
        }
        hot.SetTemperature(85);
        lost.SetFault(sim::Fault::Silent);
        const struct {
            win::COLORREF marker, split;
            const char* tip;
        } rows[] = {
            {green, green, "Answering"},
            {yellow, green, "Too hot: above 80 \260C"},
            {grey, grey, "Connection lost: remove the unit and add it again"},
        };
        const auto painted = [&](int row, win::COLORREF colour) {
            win::CRect r;
            dlg.GetDlgItem(IDC_STATE[row])->GetWindowRect(&r);
            dlg.ScreenToClient(&r);
            return uitest::CountColour(Grab(dlg), colour, r.left, r.top, r.Width(), r.Height()) >
                   10;
        };
        const auto tip = [&](int row) {
            return dlg.GetDlgItem(IDC_STATE[row])->GetNative()->toolTip().toLatin1().toStdString();
        };
        // A failed read takes its budget; the unit is quiet (grey) from the
        // first, lost once the note check has failed too.
        EXPECT_TRUE(WaitUntil([&] { return painted(1, yellow) && tip(2) == rows[2].tip; }, 15000));
        EXPECT_TRUE(painted(2, grey));
        for (int row = 0; row < 3; ++row) {
            SCOPED_TRACE(row);
            const auto& want = rows[row];
            EXPECT_EQ(Light(dlg, IDC_STATE[row]).GetFillColor(), want.marker);
            EXPECT_EQ(Light(dlg, IDC_MODE_1_8[row]).GetFillColor(), want.split);
            EXPECT_EQ(
                dlg.GetDlgItem(IDC_STATE[row])->GetNative()->toolTip().toLatin1().toStdString(),
                want.tip);
        }
        EXPECT_TRUE(painted(0, green));
        EXPECT_FALSE(dlg.GetDlgItem(IDC_STATE[3])->IsWindowVisible());
    });
}

} // namespace
