// The frames a healthy unit receives from the application, as the simulator
// logs them, for comparing two builds byte for byte: the open sequence of a
// unit added to the main window, page writes (an adjustment slider step and a
// split change on the Home page), a setup recall through File > Recall Setup,
// and SECONDS (60 by default) of the device window's periodic reads. One
// line per frame: its bytes in hexadecimal; a section starts with "== ".
//
//   tm80_frame_log [SECONDS] > frames.txt     run inside a private network namespace
#include "app/mainwindow/CTM80_AppDlg.h"
#include "app/mainwindow/SetupMenuCommands.h"
#include "device/SlotTable.h"
#include "devicewindow/DefaultDlg.h"
#include "devicewindow/OutputColumns.h"
#include "devicewindow/PrimarySetupDlg.h"
#include "platform/DebugOutput.h"
#include "platform/ui/CommonDialogs.h"
#include "sim/SimUnit.h"
#include "testsupport/ScriptedCommonDialogs.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

void Print(const char* section, sim::SimUnit& unit) {
    std::printf("== %s\n", section);
    for (const auto& frame : unit.Frames()) {
        for (std::uint8_t byte : frame.bytes) {
            std::printf("%02X", byte);
        }
        std::printf("\n");
    }
    unit.ClearFrames();
}

void RunEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(0, std::atoi(argv[1])) : 60;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    win::SetDebugOutputSink([](std::string_view) {});
    auto scripted = std::make_unique<win::ScriptedCommonDialogs>();
    win::ScriptedCommonDialogs& dialogs = *scripted;
    win::CommonDialogs::Install(std::move(scripted));

    sim::UnitConfig config;
    config.address = "127.49.0.2";
    config.note = "FRAME LOG";
    sim::SimUnit unit(config);
    if (!unit.Start()) {
        std::fprintf(stderr, "tm80_frame_log: no simulated unit: %s\n", unit.Error().c_str());
        return 1;
    }
    const std::string file =
        (std::filesystem::temp_directory_path() / "tm80-frame-log.TM80").string();
    {
        CTM80_AppDlg mainWindow;
        if (!mainWindow.ConnectUnit(config.address)) {
            std::fprintf(stderr, "tm80_frame_log: the unit could not be added\n");
            return 1;
        }
        Print("open sequence", unit);

        auto* device = CTM80_AppDlg::DeviceWindowOf(0);
        auto* page = dynamic_cast<PrimarySetupDlg*>(device->GetPage(DefaultDlg::kPrimarySetupPage));
        QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QCoreApplication::sendEvent(page->Columns().Slider(3).GetNative(), &right);
        // The slider tells its page by a posted message.
        QCoreApplication::sendPostedEvents();
        page->SendMessage(win::WM_COMMAND,
                          win::MAKEWPARAM(OutputColumns::kIdSplit24, win::BN_CLICKED), 0);
        Print("page writes", unit);

        // A setup saved from the unit as it is now, with another adjustment.
        UnitSlot& slot = *TheSlotTable().Slot(0);
        slot.SaveSetup(file);
        unit.SetAdjustment(5, 4);
        dialogs.AnswerFile(file);
        SetupMenuCommands::RecallSetup(&mainWindow, 1);
        Print("setup recall", unit);

        RunEvents(seconds * 1000);
        Print("periodic reads", unit);
    }
    std::filesystem::remove(file);
    return 0;
}
