// Every control of every window shows whole at the default size: no two
// visible sibling controls overlap (frames round what they group apart), and
// none reaches outside its window, on the main window, its dialogs, the entry
// boxes and each page of a device window.

#include "app/dialogs/CAboutDlg.h"
#include "app/dialogs/Config.h"
#include "app/dialogs/DeviceColorMenu.h"
#include "app/dialogs/LaunchOptions.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/StatusDlg.h"
#include "devicewindow/SystemDlg.h"
#include "tests/app/AppTestSupport.h"
#include "toolkit/EntryDialogs.h"

#include <QTest>

using namespace apptest;

namespace {

// Stacked on purpose.
const std::vector<uitest::StackedOnPurpose> kStacked = {
    {StatusDlg::kIdUnitLine, StatusDlg::kIdFileLine,
     "the header's file line lies over the right part of the unit line, which is a band "
     "across the whole header in the row's colours"},
};

class LayoutTest : public AppTest {
protected:
    LayoutTest() : AppTest(77) {}
    void SetUp() override {
        AppTest::SetUp();
        StartUp();
    }

    // The faults of the dialog `T` once it shows, then Cancel.
    template <class T> static std::vector<std::string> OfModal(T& dialog) {
        std::vector<std::string> faults;
        WhenReady([&] { return dialog.IsWindow() && dialog.IsWindowVisible(); },
                  [&] {
                      faults = uitest::LayoutFaults(dialog, kStacked);
                      dialog.EndDialog(win::IDCANCEL);
                  });
        dialog.DoModal();
        return faults;
    }

    // The faults of the entry box titled `title` once it shows, then Cancel.
    static void CheckEntryBox(const char* title, std::vector<std::string>& faults) {
        WhenReady([title] { return VisibleWindowTitled(title) != nullptr; },
                  [title, &faults] {
                      auto* box = uitest::DialogBehind<win::CDialogEx>(VisibleWindowTitled(title));
                      faults = uitest::LayoutFaults(*box, kStacked);
                      box->EndDialog(win::IDCANCEL);
                  });
    }
};

TEST_F(LayoutTest, NoControlIsHiddenOnAnyWindow) {
    sim::SimUnit& unit = StartUnit(1, 1, "RACK A");
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        ASSERT_TRUE(Add(dlg, unit));
        EXPECT_EQ(uitest::LayoutFaults(dlg, kStacked), std::vector<std::string>{}) << "main";

        Config config(&dlg);
        EXPECT_EQ(OfModal(config), std::vector<std::string>{}) << "Add Device";
        LaunchOptions options(&dlg);
        EXPECT_EQ(OfModal(options), std::vector<std::string>{}) << "Launch Options";
        DeviceColorMenu colours(&dlg);
        EXPECT_EQ(OfModal(colours), std::vector<std::string>{}) << "Device colours";
        CAboutDlg about(&dlg);
        EXPECT_EQ(OfModal(about), std::vector<std::string>{}) << "About";

        std::vector<std::string> faults;
        std::string text;
        CheckEntryBox("User Notes", faults);
        EnterText("User Notes", "Enter the note for this unit:", "RACK A", text, 250, 1, &dlg);
        EXPECT_EQ(faults, std::vector<std::string>{}) << "note entry";
        int chosen = 0;
        CheckEntryBox("Band Selection", faults);
        ChooseFromList(0, {"LL: 1435 - 1535", "UL: 1750 - 1850"}, "Band Selection",
                       "Select Band for Out 3A:", 2, chosen, &dlg);
        EXPECT_EQ(faults, std::vector<std::string>{}) << "band choice";

        // Each page of the device window, the calibration page too.
        DefaultDlg& window = *CTM80_AppDlg::DeviceWindowOf(0);
        window.ShowNormal();
        auto& system = dynamic_cast<SystemDlg&>(*window.GetPage(DefaultDlg::kSystemPage));
        QTest::mouseClick(system.DisplayCalibration().GetNative(), Qt::LeftButton);
        for (int page = 0; page < DefaultDlg::kPageCount; ++page) {
            SCOPED_TRACE(page);
            window.GetTabStrip().SetCurSel(page);
            window.OnNotify(DefaultDlg::kIdTabStrip, win::TCN_SELCHANGE);
            Settle();
            EXPECT_EQ(uitest::LayoutFaults(window, kStacked), std::vector<std::string>{});
        }
    });
}

} // namespace
