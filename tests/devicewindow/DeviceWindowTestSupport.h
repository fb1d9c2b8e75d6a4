// Helpers of the device window tests: simulated units on loopback, a stand-in
// for the main window that opens units into TheSlotTable() with their
// DefaultDlg, and acting on the windows as an operator would.
#pragma once

#include "device/SlotTable.h"
#include "device/UnitFlags.h"
#include "device/UnitSlotHost.h"
#include "devicewindow/DefaultDlg.h"
#include "sim/SimUnit.h"
#include "testsupport/ScriptedCommonDialogs.h"
#include "testsupport/UiTestSupport.h"

#include <QPoint>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dwtest {

using namespace uitest;
using Bytes = std::vector<std::uint8_t>;

// The payloads of the frames of `command` the simulated unit has received;
// with a `mode`, only those whose first byte is `mode`.
std::vector<Bytes> Payloads(const sim::SimUnit& unit, std::uint16_t command, int mode = -1);
// Waits for `count` payloads of `command`, and a little longer for more.
inline std::vector<Bytes> Sent(const sim::SimUnit& unit, std::uint16_t command, std::size_t count) {
    WaitUntil([&] { return Payloads(unit, command).size() >= count; }, 3000);
    Settle();
    return Payloads(unit, command);
}
inline void Click(const win::CWnd& control, QPoint at = QPoint(2, 2)) {
    QTest::mouseClick(control.GetNative(), Qt::LeftButton, Qt::NoModifier, at);
    Settle();
}
// Whether `name` is `prefix`, a date and time stamp and `extension`, as Hard
// Copy names its files.
bool StampedName(const std::string& name, const std::string& prefix, const char* extension);
inline bool Lost(int index) {
    return ConnectionLostFlag()[static_cast<std::size_t>(index)] != 0;
}
inline std::shared_ptr<ListChoice> AnswerBandChoice(int index) {
    return AnswerListChoice("Band Selection", index);
}

inline UnitSlot& Slot(int index) {
    return *TheSlotTable().Slot(index);
}
inline DefaultDlg& Window(int index) {
    return dynamic_cast<DefaultDlg&>(*Slot(index).DeviceWindow());
}
template <class T> T& Page(int index, int page) {
    return dynamic_cast<T&>(*Window(index).GetPage(page));
}
inline SystemDlg& Sys(int index) {
    return Page<SystemDlg>(index, DefaultDlg::kSystemPage);
}
inline bool WaitIdle(const UnitSlot& slot) {
    return WaitUntil([&slot] { return !slot.Unit()->Busy(); });
}
// One status refresh of `page`, waiting until its read is back.
void RefreshNow(SystemDlg& page);

// Stands in for the main window: the open sequence's window steps.
class TestHost : public UnitSlotHost {
public:
    std::unique_ptr<UnitDeviceWindow> CreateDeviceWindow(UnitSlot& slot) override {
        return DefaultDlg::CreateHidden(slot.Index());
    }
    void RefreshMainWindow(UnitSlot&) override { ++refreshes; }
    void RefreshMainWindowStates(UnitSlot&) override { ++stateRefreshes; }
    int refreshes = 0;
    int stateRefreshes = 0;
};

// Connects to `address` on an I/O worker of its own, places the slot in the
// lowest free position and opens it with `host`, as the main window does;
// returns the position, or -1 with nothing placed when no position is free.
// An open that failed leaves the slot without a window.
int OpenInTable(const std::string& address, UnitSlotHost& host);

// Each test starts with an empty slot table, clear process values, scripted
// message boxes and the images folder of the source tree; units listen on
// 127.<octet>.x.y, x and y from the test's name.
class DeviceWindowTest : public ::testing::Test {
protected:
    explicit DeviceWindowTest(int octet) : octet_(octet) {}
    void SetUp() override;
    void TearDown() override;

    // A started simulated unit (the test fails when none can be started).
    sim::SimUnit& StartUnit(sim::UnitConfig config = {});
    int AddUnit(const sim::SimUnit& unit) {
        const int index = OpenInTable(unit.Config().address, host);
        EXPECT_GE(index, 0);
        return index;
    }
    // Shows the window of `index` at `page`, as its tab strip would.
    DefaultDlg& ShowAt(int index, int page);

    win::ScriptedCommonDialogs* dialogs = nullptr;
    TestHost host;

private:
    int octet_;
    int started_ = 0;
    std::vector<std::unique_ptr<sim::SimUnit>> units_;
};

template <int octet> class On : public DeviceWindowTest {
protected:
    On() : DeviceWindowTest(octet) {}
};

} // namespace dwtest
