// File > Save Setup and Recall Setup and System > Flash LEDs and History,
// chosen from the main window's menu bar.
#include "app/mainwindow/Resources.h"
#include "app/mainwindow/SetupMenuCommands.h"
#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "devicewindow/DefaultDlg.h"
#include "infra/Environment.h"
#include "tests/app/AppTestSupport.h"
#include "tools/Tm80Ctl.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <filesystem>
#include <sstream>

using namespace apptest;
using win::ScriptedCommonDialogs;

namespace {

using SetupMenuTest = AppTestOn<64>;

// Chooses menu > item > "Device n" in the window's menu bar, as a click would.
void Choose(CTM80_AppDlg& dlg, const char* menu, const char* item, int device) {
    QList<QAction*> actions = dlg.GetNative()->window()->findChild<QMenuBar*>()->actions();
    QAction* found = nullptr;
    for (const QString& text : {QString(menu), QString(item), QString("Device %1").arg(device)}) {
        const auto at = std::find_if(actions.begin(), actions.end(),
                                     [&text](const QAction* a) { return a->text() == text; });
        ASSERT_NE(at, actions.end()) << menu << " > " << item << " > " << device;
        found = *at;
        actions = found->menu() != nullptr ? found->menu()->actions() : QList<QAction*>();
    }
    ASSERT_TRUE(found->isEnabled());
    found->trigger();
    Settle();
}

std::string Header(int index) {
    return CTM80_AppDlg::DeviceWindowOf(index)->GetStatusHeader().GetFileLine().GetLabelText();
}

// The 22 frames of a recall: from the open control command on.
std::vector<std::vector<std::uint8_t>> RecallFrames(const sim::SimUnit& unit) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (const auto& frame : unit.Frames()) {
        if ((frame.command == 0x1001 || !frames.empty()) && frames.size() < 22) {
            frames.push_back(frame.bytes);
        }
    }
    return frames;
}

// Empty positions, the unit's folder, History and Flash LEDs; a setup saved
// from one unit and recalled on another sends what tm80ctl sends.
TEST_F(SetupMenuTest, MenusOfEachPositionAndARecallOnAnotherUnit) {
    sim::SimUnit& a = StartUnit(2, 1, "UNIT A");
    sim::SimUnit& b = StartUnit(2, 2, "UNIT B");
    sim::SimUnit& c = StartUnit(2, 3, "UNIT C"); // tm80ctl's
    a.SetAdjustment(2, -3);
    a.SetCalibration(0, 4, 77);
    std::ostringstream out, err;
    ASSERT_EQ(RunTm80Ctl({a.Config().address, "band", "1", "3"}, out, err), 0) << err.str();
    const std::string file = folder->Path() + "/a.TM80";
    const std::string other = folder->Path() + "/b.TM80";
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        const auto chooseFile = [&](const std::string& path, const char* item, int device) {
            dialogs->AnswerFile(path);
            Choose(dlg, "&File", item, device);
        };
        ASSERT_TRUE(Add(dlg, a));
        ASSERT_TRUE(Add(dlg, b));
        Choose(dlg, "&File", "Save Setup", 3);
        Choose(dlg, "&File", "Recall Setup", 4);
        Choose(dlg, "&System", "Flash LEDs", 4); // nothing at all
        Choose(dlg, "&System", "History", 3);
        ASSERT_EQ(dialogs->History().size(), 3u);
        for (int i = 0; i < 3; ++i) {
            const auto& box = dialogs->History()[static_cast<std::size_t>(i)].message;
            EXPECT_EQ(box.text, i == 1 ? "Device 4 not connected." : "Device 3 not connected.");
            EXPECT_EQ(box.caption, "");
            EXPECT_EQ(box.type, win::MB_OK | win::MB_ICONWARNING);
        }
        // A recall before any save names the folder but does not make it.
        const std::string setups = TheEnvironment().SetupFilesFolder + "/00AB-1021_Setup";
        Choose(dlg, "&File", "Recall Setup", 1);
        auto opened = Shown(ScriptedCommonDialogs::Kind::OpenFile);
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(opened[0].file.title, "TM80 M1 Setup File");
        EXPECT_EQ(opened[0].file.initialFolder, setups);
        EXPECT_FALSE(std::filesystem::exists(setups));
        // A cancelled save leaves no folder behind; one that writes a file does.
        dialogs->CancelFile();
        Choose(dlg, "&File", "Save Setup", 1);
        EXPECT_FALSE(std::filesystem::exists(setups));
        chooseFile(setups + "/first.TM80", "Save Setup", 1);
        auto saved = Shown(ScriptedCommonDialogs::Kind::SaveFile);
        ASSERT_EQ(saved.size(), 2u);
        EXPECT_EQ(saved[1].file.title, "TM80 Setup File");
        EXPECT_EQ(saved[1].file.initialFolder, setups);
        for (const auto& request : {opened[0].file, saved[1].file}) {
            EXPECT_EQ(request.filter, "File Type (*.TM80)|*.TM80||");
            EXPECT_EQ(request.defaultExtension, "TM80");
            EXPECT_EQ(request.fileName, "");
        }
        EXPECT_TRUE(std::filesystem::is_directory(setups));
        EXPECT_EQ(ReadFile(setups + "/first.TM80").rfind("[DEVICE]\r\n", 0), 0u);
        Choose(dlg, "&System", "History", 2);
        const HistoryDlg* history = CTM80_AppDlg::DeviceWindowOf(1)->GetHistoryWindow();
        ASSERT_NE(history, nullptr);
        EXPECT_TRUE(history->IsWindowVisible());
        EXPECT_EQ(history->GetWindowText(),
                  "History - Device 2: UNIT B (" + b.Config().address + ")");
        // Each unit flashed once already when it was added.
        Choose(dlg, "&System", "Flash LEDs", 2);
        EXPECT_EQ(b.LedFlashes(), 2);
        EXPECT_EQ(a.LedFlashes(), 1);
        EXPECT_EQ(CurrentSetupFile(), "");
        dialogs->ClearHistory();
        chooseFile(file, "Save Setup", 1);
        EXPECT_EQ(Header(0), "No File Loaded");
        b.ClearFrames();
        chooseFile(file, "Recall Setup", 2);
        EXPECT_EQ(b.Adjustments(), a.Adjustments());
        EXPECT_EQ(b.Calibration(0, 4), 77);
        EXPECT_EQ(b.BandSelection()[0], 3);
        // The page, the row and every header show it.
        EXPECT_EQ(LabelText(dlg, res::IDC_OUTPUT_FIRST[1]),
                  LabelText(dlg, res::IDC_OUTPUT_FIRST[0]));
        EXPECT_EQ(TheSlotTable().Slot(1)->adjustments[2], -3);
        EXPECT_EQ(Header(0), file);
        EXPECT_EQ(Header(1), file);
        const auto frames = RecallFrames(b);
        ASSERT_EQ(frames.size(), 22u);
        std::ostringstream ctlOut, ctlErr;
        ASSERT_EQ(RunTm80Ctl({c.Config().address, "recall-setup", file}, ctlOut, ctlErr), 0)
            << ctlErr.str();
        EXPECT_EQ(RecallFrames(c), frames);
        // A save leaves the header as it was; one that writes nothing says so.
        chooseFile(other, "Save Setup", 2);
        EXPECT_EQ(Header(1), file);
        EXPECT_TRUE(Messages().empty());
        const std::string nowhere = folder->Path() + "/missing/c.TM80";
        chooseFile(nowhere, "Save Setup", 2);
        EXPECT_EQ(Messages(), Texts{"The setup could not be saved to " + nowhere + "."});
        EXPECT_EQ(dialogs->History().back().message.caption, "Save Setup");
        EXPECT_EQ(Header(1), file);
        // A file that is no setup: said so, nothing sent, the header kept.
        WriteFile(other, "[NOTES]\r\nSite=North\r\n");
        a.ClearFrames();
        chooseFile(other, "Recall Setup", 1);
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), other + " holds no TM80 setup.");
        EXPECT_EQ(dialogs->History().back().message.caption, "Recall Setup");
        EXPECT_EQ(CurrentSetupFile(), file);
        for (const auto& frame : a.Frames()) {
            EXPECT_EQ(frame.command, 0x1003) << "only the note check";
        }
        // A recall the unit stops taking after three frames: the slot shows
        // what the unit holds, what it took and its own values for the rest.
        UnitSlot& slot = *TheSlotTable().Slot(0);
        ASSERT_GE(slot.bandCount, 2);
        slot.bandSelection[1] = 1 - slot.bandSelection[1];
        slot.adjustments.fill(3);
        const std::string third = folder->Path() + "/c.TM80";
        ASSERT_EQ(slot.SaveSetup(third), 1);
        slot.TakeUnitSettings();
        WaitUntil([&] { return !slot.Unit()->Busy(); });
        a.SetFault(sim::Fault::CloseAfterFrames, 3);
        a.ClearFrames();
        dialogs->ClearHistory();
        dialogs->AnswerFile(third);
        QElapsedTimer clock;
        clock.start();
        SetupMenuCommands::RecallSetup(&dlg, 1);
        EXPECT_LT(clock.elapsed(), 1500);
        EXPECT_EQ(a.Frames().size(), 3u);
        EXPECT_EQ(Messages(), Texts{"The setup in " + third + " could not be sent to Device 1."});
        EXPECT_EQ(dialogs->History().back().message.caption, "Recall Setup");
        EXPECT_EQ(Header(0), file);
        EXPECT_TRUE(std::ranges::equal(slot.bandSelection, a.BandSelection()));
        EXPECT_TRUE(std::ranges::equal(slot.adjustments, a.Adjustments()));
        EXPECT_EQ(slot.adjustments[0], 3);
        EXPECT_EQ(slot.adjustments[1], 0);
        EXPECT_EQ(LabelText(dlg, res::IDC_OUTPUT_FIRST[0] + 1),
                  slot.bandEntries[static_cast<std::size_t>(slot.bandSelection[1])].name);
    });
}

} // namespace
