#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include "device/ProcessValues.h"
#include "infra/Environment.h"
#include "infra/SystemConfiguration.h"
#include "platform/ui/QtConvert.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>

namespace dwtest {

int NoteReads(const sim::SimUnit& unit) {
    int n = 0;
    for (const auto& frame : unit.Frames())
        n += frame.command == 0x1003 && frame.bytes.size() > 6 && frame.bytes[6] == 0 ? 1 : 0;
    return n;
}

std::unique_ptr<UnitDeviceWindow> TestHost::CreateDeviceWindow(UnitSlot& slot) {
    return DefaultDlg::CreateHidden(slot.Index());
}

void TestHost::RefreshMainWindow(UnitSlot&) {
    ++refreshes;
}

void DeviceWindowTest::SetUp() {
    EnsureApplication();
    TheSlotTable().Clear();
    ResetDeviceProcessValues();
    TheSystemConfiguration() = SystemConfiguration{};
    TheEnvironment().ImagesFolder = TM80_IMAGES_FOLDER;
    DefaultDlg::ArmLostNotice(true);
    auto scripted = std::make_unique<win::ScriptedCommonDialogs>();
    dialogs = scripted.get();
    win::CommonDialogs::Install(std::move(scripted));
}

void DeviceWindowTest::TearDown() {
    TheSlotTable().Clear();
    Settle();
    units_.clear();
    win::CommonDialogs::Install(nullptr);
    dialogs = nullptr;
    ResetDeviceProcessValues();
}

sim::SimUnit& DeviceWindowTest::StartUnit(sim::UnitConfig config) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::size_t h = std::hash<std::string>{}(std::string(info->test_suite_name()) + info->name() +
                                             std::to_string(started_++));
    for (int attempt = 0; attempt < 50; ++attempt, h += 7919) {
        config.address = "127." + std::to_string(octet_) + "." +
                         std::to_string((h >> 8) % 254 + 1) + "." + std::to_string(h % 253 + 2);
        auto unit = std::make_unique<sim::SimUnit>(config);
        if (unit->Start()) {
            units_.push_back(std::move(unit));
            return *units_.back();
        }
    }
    ADD_FAILURE() << "no simulated unit could be started";
    units_.push_back(std::make_unique<sim::SimUnit>(config));
    return *units_.back();
}

int DeviceWindowTest::AddUnit(const sim::SimUnit& unit) {
    const int index = TheSlotTable().Claim();
    EXPECT_GE(index, 0);
    auto connection = std::make_unique<TCPCom>(unit.Config().address.c_str());
    EXPECT_TRUE(connection->IsConnected());
    auto model = std::make_unique<CTM80M1_Comm>(connection.get());
    TheSlotTable().At(index).slot =
        std::make_unique<UnitSlot>(index, std::move(connection), std::move(model));
    TheSlotTable().Slot(index)->Open(&host);
    return index;
}

UnitSlot& DeviceWindowTest::Slot(int index) {
    return *TheSlotTable().Slot(index);
}

DefaultDlg& DeviceWindowTest::Window(int index) {
    auto* window = dynamic_cast<DefaultDlg*>(Slot(index).DeviceWindow());
    EXPECT_NE(window, nullptr);
    return *window;
}

} // namespace dwtest
