// The device window's connection watch: timer 1001 re-reads the note; a note
// that differs from the slot's marks the unit lost for good, and the first
// loss of a run shows the notice once, naming the unit and what was seen.
#include "device/UnitFlags.h"
#include "tests/devicewindow/DeviceWindowTestSupport.h"

namespace {

using namespace dwtest;

class NoteCheckTest : public DeviceWindowTest {
protected:
    NoteCheckTest() : DeviceWindowTest(71) {}

    // Waits for `count` further note reads of `unit`.
    bool WaitForNoteReads(const sim::SimUnit& unit, int count) {
        const int target = NoteReads(unit) + count;
        return WaitUntil([&] { return NoteReads(unit) >= target; }, 1500 * count + 3000);
    }
    static bool Lost(int index) { return ConnectionLostFlag()[static_cast<size_t>(index)] != 0; }
};

TEST_F(NoteCheckTest, ChangedNoteFlagsOnlyThatUnit) {
    sim::SimUnit& a = StartUnit({.note = "Mast 7"});
    sim::SimUnit& b = StartUnit({.note = "Roof 2"});
    const int ia = AddUnit(a);
    const int ib = AddUnit(b);

    // Unchanged notes, read by the timer with the window hidden: no loss.
    ASSERT_TRUE(WaitForNoteReads(a, 2));
    EXPECT_FALSE(Window(ia).IsWindowVisible());
    EXPECT_FALSE(Lost(ia));
    EXPECT_FALSE(Lost(ib));

    a.SetNote("Mast 8");
    ASSERT_TRUE(WaitUntil([&] { return Lost(ia); }));
    ASSERT_TRUE(WaitForNoteReads(b, 2));
    EXPECT_FALSE(Lost(ib));
    // The slot keeps the note read at open.
    EXPECT_EQ(Slot(ia).userNote, "Mast 7");
}

TEST_F(NoteCheckTest, SilentUnitIsFlaggedAndStaysFlaggedAfterRecovery) {
    sim::SimUnit& unit = StartUnit({.note = "Mast 7"});
    const int index = AddUnit(unit);
    unit.SetFault(sim::Fault::Silent);
    // Each unanswered read blocks for its one-second budget.
    ASSERT_TRUE(WaitUntil([&] { return Lost(index); }, 8000));
    EXPECT_STREQ(Slot(index).Unit()->identity.userNote.data(), "");
    ASSERT_EQ(dialogs->History().size(), 1u);
    EXPECT_EQ(dialogs->History()[0].message.text, "TCP connection to Device " +
                                                      std::to_string(index + 1) + " (" +
                                                      unit.Config().address + ") was lost.");

    // A silent unit's note is read every ten seconds only.
    unit.SetFault(sim::Fault::None);
    ASSERT_TRUE(WaitUntil(
        [&] { return std::string(Slot(index).Unit()->identity.userNote.data()) == "Mast 7"; },
        16000));
    ASSERT_TRUE(WaitForNoteReads(unit, 1));
    EXPECT_TRUE(Lost(index));
}

TEST_F(NoteCheckTest, UnitWithEmptyNoteIsNeverFlagged) {
    sim::SimUnit& unit = StartUnit({.note = ""});
    const int index = AddUnit(unit);
    ASSERT_TRUE(WaitForNoteReads(unit, 1));
    // A failed read also yields an empty note.
    unit.SetFault(sim::Fault::Silent);
    ASSERT_TRUE(WaitForNoteReads(unit, 1));
    Settle();
    EXPECT_FALSE(Lost(index));
    EXPECT_TRUE(dialogs->History().empty());
}

TEST_F(NoteCheckTest, LostNoticeIsShownOncePerRun) {
    sim::SimUnit& a = StartUnit({.note = "Mast 7"});
    sim::SimUnit& b = StartUnit({.note = "Roof 2"});
    const int ia = AddUnit(a);
    const int ib = AddUnit(b);
    a.SetNote("other");
    b.SetNote("other too");
    ASSERT_TRUE(WaitUntil([&] { return Lost(ia) && Lost(ib); }));
    // Both keep being found lost on every tick.
    ASSERT_TRUE(WaitForNoteReads(a, 2));

    // The unit answers, with another note: the notice says so, naming it.
    ASSERT_EQ(dialogs->History().size(), 1u);
    const win::MessageBoxRequest& shown = dialogs->History()[0].message;
    const bool first = shown.text.find("Device " + std::to_string(ia + 1)) == 0;
    const sim::SimUnit& named = first ? a : b;
    EXPECT_EQ(shown.text, "Device " + std::to_string((first ? ia : ib) + 1) + " (" +
                              named.Config().address + ") now reports the note \"" + named.Note() +
                              "\"; remove it and add it again to control it.");
    EXPECT_EQ(shown.caption, "Communication to TM80");
    EXPECT_EQ(shown.type, win::MB_OK);
    EXPECT_FALSE(DefaultDlg::IsLostNoticeArmed());

    // Armed again, the next loss found shows it once more.
    DefaultDlg::ArmLostNotice(true);
    ASSERT_TRUE(WaitUntil([&] { return dialogs->History().size() == 2; }));
    ASSERT_TRUE(WaitForNoteReads(b, 2));
    EXPECT_EQ(dialogs->History().size(), 2u);
}

TEST_F(NoteCheckTest, RemovedUnitsWindowStopsChecking) {
    sim::SimUnit& unit = StartUnit({.note = "Mast 7"});
    const int index = AddUnit(unit);
    ASSERT_TRUE(WaitForNoteReads(unit, 1));
    TheSlotTable().Release(index);
    const int reads = NoteReads(unit);
    WaitUntil([] { return false; }, 2500);
    EXPECT_EQ(NoteReads(unit), reads);
    EXPECT_FALSE(Lost(index));
}

} // namespace
