#include "tests/devicewindow/DeviceWindowTestSupport.h"

#include "device/UnitFlags.h"
#include "devicewindow/QtGuiThread.h"
#include "infra/Environment.h"
#include "infra/SystemConfiguration.h"
#include "tests/sim/SimTestUnit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <algorithm>

namespace dwtest {

int NoteReads(const sim::SimUnit& unit) {
    int n = 0;
    for (const auto& frame : unit.Frames()) {
        n += frame.command == 0x1003 && frame.bytes.size() > 6 && frame.bytes[6] == 0 ? 1 : 0;
    }
    return n;
}

std::vector<std::vector<std::uint8_t>> Payloads(const sim::SimUnit& unit, std::uint16_t command) {
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& frame : unit.Frames()) {
        if (frame.command == command) {
            out.emplace_back(frame.bytes.begin() + std::min<std::size_t>(6, frame.bytes.size()),
                             frame.bytes.end());
        }
    }
    return out;
}

void AnswerBandChoice(int index, BandChoice* offered) {
    uitest::WhenReady([] { return uitest::VisibleWindowTitled("Band Selection") != nullptr; },
                      [index, offered] {
                          QWidget* w = uitest::VisibleWindowTitled("Band Selection");
                          auto* list = w->findChild<QComboBox*>();
                          if (offered != nullptr && list != nullptr) {
                              for (int i = 0; i < list->count(); ++i) {
                                  offered->items.push_back(list->itemText(i).toStdString());
                              }
                              offered->selected = list->currentIndex();
                              if (auto* prompt = w->findChild<QLabel*>()) {
                                  offered->prompt = prompt->text().toStdString();
                              }
                          }
                          if (index >= 0 && list != nullptr) {
                              list->setCurrentIndex(index);
                          }
                          for (auto* b : w->findChildren<QPushButton*>()) {
                              if (b->text() == (index >= 0 ? "OK" : "Cancel")) {
                                  QTest::mouseClick(b, Qt::LeftButton);
                              }
                          }
                      });
}

std::unique_ptr<UnitDeviceWindow> TestHost::CreateDeviceWindow(UnitSlot& slot) {
    return DefaultDlg::CreateHidden(slot.Index());
}

void TestHost::RefreshMainWindow(UnitSlot&) {
    ++refreshes;
}

void TestHost::RefreshMainWindowStates(UnitSlot&) {
    ++stateRefreshes;
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

int DeviceWindowTest::AddUnit(const sim::SimUnit& unit) {
    const int index = TheSlotTable().Claim();
    EXPECT_GE(index, 0);
    auto worker = std::make_unique<UnitWorker>(TheGuiThread());
    auto connection = worker->Connect(unit.Config().address);
    EXPECT_TRUE(connection != nullptr && connection->IsConnected());
    auto model = std::make_unique<CTM80M1_Comm>(connection.get());
    TheSlotTable().At(index).slot = std::make_unique<UnitSlot>(index, std::move(connection),
                                                               std::move(model), std::move(worker));
    TheSlotTable().Slot(index)->Open(&host);
    return index;
}

void RefreshNow(SystemDlg& page) {
    page.StatusRefresh();
    const UnitSlot* slot = TheSlotTable().Slot(page.GetUnitIndex());
    WaitUntil([slot] { return slot == nullptr || !slot->Unit()->Busy(); });
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
