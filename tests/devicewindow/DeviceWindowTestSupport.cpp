#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include "devicewindow/QtGuiThread.h"
#include "infra/Environment.h"
#include "infra/SystemConfiguration.h"
#include "tests/sim/SimTestUnit.h"

#include <QRegularExpression>

#include <algorithm>

namespace dwtest {

std::vector<Bytes> Payloads(const sim::SimUnit& unit, std::uint16_t command, int mode) {
    std::vector<Bytes> out;
    for (const auto& frame : unit.Frames()) {
        Bytes payload(frame.bytes.begin() + std::min<std::size_t>(6, frame.bytes.size()),
                      frame.bytes.end());
        if (frame.command == command && (mode < 0 || (!payload.empty() && payload[0] == mode))) {
            out.push_back(std::move(payload));
        }
    }
    return out;
}

bool StampedName(const std::string& name, const std::string& prefix, const char* extension) {
    return QRegularExpression(
               QString::fromStdString("^" + prefix + "_\\d{4}-\\d\\d-\\d\\d_\\d{4}\\.") +
               extension + "$")
        .match(QString::fromStdString(name))
        .hasMatch();
}

void RefreshNow(SystemDlg& page) {
    page.StatusRefresh();
    if (const UnitSlot* slot = TheSlotTable().Slot(page.GetUnitIndex())) {
        WaitIdle(*slot);
    }
}

int OpenInTable(const std::string& address, UnitSlotHost& host) {
    const int index = TheSlotTable().Claim();
    if (index < 0) {
        return index;
    }
    auto worker = std::make_unique<UnitWorker>(TheGuiThread());
    auto connection = worker->Connect(address);
    EXPECT_TRUE(connection != nullptr && connection->IsConnected());
    auto model = std::make_unique<CTM80M1_Comm>(connection.get());
    TheSlotTable().At(index).slot = std::make_unique<UnitSlot>(index, std::move(connection),
                                                               std::move(model), std::move(worker));
    TheSlotTable().Slot(index)->Open(&host);
    return index;
}

void DeviceWindowTest::SetUp() {
    uitest::EnsureApplication();
    TheSlotTable().Clear();
    ResetUnitFlags();
    TheSystemConfiguration() = SystemConfiguration{};
    TheEnvironment().ImagesFolder = TM80_IMAGES_FOLDER;
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
    ResetUnitFlags();
}

sim::SimUnit& DeviceWindowTest::StartUnit(sim::UnitConfig config) {
    auto unit =
        simtest::StartUnit(octet_, simtest::CurrentTestName() + std::to_string(started_++), config);
    EXPECT_NE(unit, nullptr) << "no simulated unit could be started";
    units_.push_back(unit ? std::move(unit) : std::make_unique<sim::SimUnit>(config));
    return *units_.back();
}

DefaultDlg& DeviceWindowTest::ShowAt(int index, int page) {
    DefaultDlg& w = Window(index);
    w.ShowNormal();
    w.GetTabStrip().SetCurSel(page);
    w.OnNotify(DefaultDlg::kIdTabStrip, win::TCN_SELCHANGE);
    Settle();
    return w;
}

} // namespace dwtest
