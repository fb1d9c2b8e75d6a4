// Helpers of the device window tests: the Qt application, waiting on events,
// simulated units on loopback, and a stand-in for the main window that opens
// units into TheSlotTable() and gives each its DefaultDlg.
#pragma once

#include "device/SlotTable.h"
#include "device/UnitSlotHost.h"
#include "devicewindow/DefaultDlg.h"
#include "platform/ui/Colorref.h"
#include "sim/SimUnit.h"
#include "testsupport/ScriptedCommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dwtest {

using uitest::CountColour;
using uitest::CountNear;
using uitest::Grab;
using uitest::PixelAt;
using uitest::Settle;
using uitest::WaitUntil;

// Note reads (command 0x1003, mode 0) the simulated unit has received.
int NoteReads(const sim::SimUnit& unit);
// The payloads of the frames of `command` the simulated unit has received.
std::vector<std::vector<std::uint8_t>> Payloads(const sim::SimUnit& unit, std::uint16_t command);

// Answers the next band choice window ("Band Selection") as the operator
// would: picks list entry `index` and presses OK, or presses Cancel when
// `index` is negative. What the window offered is kept in `offered` (its
// items and the entry selected when it opened).
struct BandChoice {
    std::vector<std::string> items;
    int selected = -2;
    std::string prompt;
};
void AnswerBandChoice(int index, BandChoice* offered = nullptr);

// One status refresh of `page`, waiting until its read is back.
void RefreshNow(SystemDlg& page);

// Stands in for the main window: the open sequence's window steps.
class TestHost : public UnitSlotHost {
public:
    std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) override;
    void RefreshMainWindow(UnitSlot& slot) override;
    void RefreshMainWindowStates(UnitSlot& slot) override;
    int refreshes = 0;
    int stateRefreshes = 0;
};

// Each test starts with an empty slot table, clear process values, scripted
// message boxes and the images folder of the source
// tree; units listen on 127.<octet>.x.y, x and y from the test's name.
class DeviceWindowTest : public ::testing::Test {
protected:
    explicit DeviceWindowTest(int octet) : octet_(octet) {}
    void SetUp() override;
    void TearDown() override;

    // A started simulated unit (the test fails when none can be started).
    sim::SimUnit& StartUnit(sim::UnitConfig config = {});
    // Connects to `unit` on an I/O worker of its own, places the slot in the
    // lowest free position and opens it, as the main window does; returns
    // the position.
    int AddUnit(const sim::SimUnit& unit);
    DefaultDlg& Window(int index);
    UnitSlot& Slot(int index);

    win::ScriptedCommonDialogs* dialogs = nullptr;
    TestHost host;

private:
    int octet_;
    int started_ = 0;
    std::vector<std::unique_ptr<sim::SimUnit>> units_;
};

} // namespace dwtest
