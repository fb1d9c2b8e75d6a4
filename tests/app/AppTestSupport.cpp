#include "tests/app/AppTestSupport.h"

#include "app/mainwindow/Resources.h"
#include "app/startup/StartupNetwork.h"
#include "device/DiscoveryList.h"
#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "infra/ApplicationFolders.h"
#include "infra/WinAppplus.h"
#include "platform/DebugOutput.h"
#include "tests/sim/SimTestUnit.h"
#include "toolkit/CNewLabel.h"

#include <QApplication>
#include <QTest>

#include <algorithm>

namespace apptest {

void Click(const win::CWnd& window, int id) {
    QTest::mouseClick(window.GetDlgItem(id)->GetNative(), Qt::LeftButton);
}

std::string LabelText(const win::CWnd& window, int id) {
    const win::CWnd* control = window.GetDlgItem(id);
    if (const auto* label = dynamic_cast<const CNewLabel*>(control)) {
        return label->GetLabelText();
    }
    return control != nullptr ? control->GetWindowText() : std::string("<none>");
}

void Press(const CTM80_AppDlg& dlg, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* target = QApplication::activePopupWidget();
    target = target != nullptr ? target : QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : dlg.GetNative()->window(), key, modifiers);
}

void AppTest::Close(CTM80_AppDlg& dlg, CloseBy how) {
    if (how == CloseBy::CloseBox) {
        dlg.GetNative()->window()->close();
        return;
    }
    dialogs->AnswerMessageBox(win::IDYES); // "Exit TM80?"
    QTest::keyClick(dlg.GetNative(), Qt::Key_Escape);
}

void AppTest::SetUp() {
    uitest::EnsureApplication();
    folder = std::make_unique<TempFolder>();
    cwd_ = std::make_unique<WorkingFolder>(folder->Path());
    ResetProcessValues();
    TheSlotTable().Clear();
    ResetUnitFlags();
    DiscoveryList::Instance().Clear();
    // The start-up search goes to a loopback broadcast address and a port
    // no simulated module of another test listens on.
    const std::size_t hash = std::hash<std::string>{}(simtest::CurrentTestName());
    discoveryPort_ = static_cast<std::uint16_t>(54000 + hash % 2000);
    StartupNetwork& network = TheStartupNetwork();
    network.discoveryTarget = DiscoveryTarget{"127.255.255.255", discoveryPort_, 50};
    network.localAddress = [] { return std::string("127.0.0.1"); };
    auto scripted = std::make_unique<win::ScriptedCommonDialogs>();
    dialogs = scripted.get();
    win::CommonDialogs::Install(std::move(scripted));
    win::SetDebugOutputSink([](std::string_view) {});
    win::SetStandardOutputSink([](std::string_view) {});
    if (startUp_) {
        StartUp();
    }
}

void AppTest::TearDown() {
    TheSlotTable().Clear();
    units_.clear();
    win::CommonDialogs::Install(nullptr);
    dialogs = nullptr;
    TheStartupNetwork() = StartupNetwork{};
    win::SetDebugOutputSink({});
    win::SetStandardOutputSink({});
    ResetProcessValues();
    cwd_.reset();
    folder.reset();
}

std::string AppTest::ConfigPath() const {
    return folder->Path() + "/SystemTools/Options/Tm80M1System.CFG";
}

void AppTest::WriteConfiguration(const std::string& keys) {
    std::filesystem::create_directories(folder->Path() + "/SystemTools/Options");
    WriteFile(ConfigPath(), "[TM80M1]\r\n" + keys);
}

void AppTest::StartUp() {
    WinAppplus environment;
    environment.InitEnvironment();
    CreateApplicationFolders();
    ReadLastIpUsed();
}

int AppTest::RunMainWindow(CTM80_AppDlg& dlg, const std::function<void()>& inside,
                           bool insideCloses) {
    bool ran = false;
    const int result = RunModal(dlg, [&] {
        ran = true;
        inside();
        if (!insideCloses) {
            dlg.EndDialog(win::IDOK);
        }
    });
    EXPECT_TRUE(ran) << "the main window never showed";
    return result;
}

void AppTest::RunWithUnits(int a, const std::vector<std::string>& notes,
                           const std::function<void(CTM80_AppDlg&)>& inside) {
    std::vector<sim::SimUnit*> units;
    for (std::size_t k = 0; k < notes.size(); ++k) {
        units.push_back(&StartUnit(a, static_cast<int>(k) + 1, notes[k]));
    }
    CTM80_AppDlg dlg;
    RunMainWindow(dlg, [&] {
        for (sim::SimUnit* unit : units) {
            ASSERT_TRUE(Add(dlg, *unit)) << unit->Config().address;
        }
        inside(dlg);
    });
}

sim::SimUnit& AppTest::StartUnit(int a, int b, const std::string& note, bool findable) {
    units_.push_back(std::make_unique<sim::SimUnit>(
        sim::UnitConfig{.address = Address(a, b),
                        .serialLow = static_cast<std::uint16_t>(1000 + a * 10 + b),
                        .note = note,
                        .module = findable,
                        .discoveryPort = discoveryPort_}));
    EXPECT_TRUE(units_.back()->Start()) << units_.back()->Error();
    return *units_.back();
}

bool AppTest::RowShown(const CTM80_AppDlg& dlg, int row) {
    std::vector<int> ids = {res::IDC_REMOVE[row],   res::IDC_DEVICE_ID[row],
                            res::IDC_ADDRESS[row],  res::IDC_DEVICE_BUTTON[row],
                            res::IDC_MODE_1_8[row], res::IDC_MODE_2_4[row],
                            res::IDC_FRAME_ALL[row]};
    for (int k = 0; k < res::kOutputs; ++k) {
        ids.push_back(res::IDC_OUTPUT_FIRST[row] + k);
    }
    const auto shown = std::count_if(ids.begin(), ids.end(), [&](int id) {
        return dlg.GetDlgItem(id) != nullptr && dlg.GetDlgItem(id)->IsWindowVisible();
    });
    EXPECT_TRUE(shown == 0 || shown == static_cast<int>(ids.size()))
        << "row " << row + 1 << " is partly shown";
    return shown > 0;
}

std::vector<win::ScriptedCommonDialogs::Shown>
AppTest::Shown(win::ScriptedCommonDialogs::Kind kind) const {
    std::vector<win::ScriptedCommonDialogs::Shown> shown;
    std::copy_if(dialogs->History().begin(), dialogs->History().end(), std::back_inserter(shown),
                 [kind](const auto& s) { return s.kind == kind; });
    return shown;
}

Texts AppTest::Messages() const {
    Texts texts;
    for (const auto& shown : Shown(win::ScriptedCommonDialogs::Kind::MessageBox)) {
        texts.push_back(shown.message.text);
    }
    return texts;
}

} // namespace apptest
