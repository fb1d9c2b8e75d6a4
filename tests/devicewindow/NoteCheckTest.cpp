// The device window's connection watch: timer 1001 re-reads the note; a read
// that fails or a note that differs from the slot's marks the unit lost for
// as long as it keeps its position, and its window shows the notice once,
// naming the unit and what was seen.
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

TEST_F(NoteCheckTest, AFailedReadIsALostConnectionWhateverTheNote) {
    sim::SimUnit& unit = StartUnit({.note = ""});
    const int index = AddUnit(unit);
    ASSERT_TRUE(WaitForNoteReads(unit, 1));
    Settle();
    EXPECT_FALSE(Lost(index));
    // A failed read yields an empty note too, but it is no answer.
    unit.SetFault(sim::Fault::Silent);
    ASSERT_TRUE(WaitUntil([&] { return Lost(index); }, 8000));
    ASSERT_TRUE(WaitUntil([&] { return dialogs->History().size() == 1; }));
    EXPECT_EQ(dialogs->History()[0].message.text, "TCP connection to Device " +
                                                      std::to_string(index + 1) + " (" +
                                                      unit.Config().address + ") was lost.");
}

TEST_F(NoteCheckTest, LostNoticeIsShownOncePerUnitConnection) {
    sim::SimUnit& a = StartUnit({.note = "Mast 7"});
    sim::SimUnit& b = StartUnit({.note = "Roof 2"});
    const int ia = AddUnit(a);
    const int ib = AddUnit(b);
    a.SetNote("other");
    b.SetNote("other too");
    ASSERT_TRUE(WaitUntil([&] { return Lost(ia) && Lost(ib); }));
    // Both keep being found lost on every tick; each has told it once.
    ASSERT_TRUE(WaitForNoteReads(a, 2));
    ASSERT_TRUE(WaitForNoteReads(b, 2));
    ASSERT_EQ(dialogs->History().size(), 2u);
    for (const int index : {ia, ib}) {
        const sim::SimUnit& named = index == ia ? a : b;
        const std::string text = "Device " + std::to_string(index + 1) + " (" +
                                 named.Config().address + ") now reports the note \"" +
                                 named.Note() + "\"; remove it and add it again to control it.";
        EXPECT_TRUE(dialogs->History()[0].message.text == text ||
                    dialogs->History()[1].message.text == text)
            << text;
        EXPECT_FALSE(Window(index).IsLostNoticeArmed());
    }
    const win::MessageBoxRequest& shown = dialogs->History()[0].message;
    EXPECT_EQ(shown.caption, "Communication to TM80");
    EXPECT_EQ(shown.type, win::MB_OK);

    // The position released, the unit added again is another connection: not
    // lost, and its loss is told again.
    TheSlotTable().Release(ia);
    EXPECT_FALSE(Lost(ia));
    ASSERT_EQ(AddUnit(a), ia);
    ASSERT_TRUE(WaitForNoteReads(a, 2));
    EXPECT_FALSE(Lost(ia));
    EXPECT_TRUE(Window(ia).IsLostNoticeArmed());
    a.SetNote("third");
    ASSERT_TRUE(WaitUntil([&] { return dialogs->History().size() == 3; }));
    EXPECT_TRUE(dialogs->History()[2].message.text.starts_with("Device " + std::to_string(ia + 1)));
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
