// The address-space view: row texts, memoryTop's clamping and wrapping, follow/freeze, and the
// byte edit and clear rules, on a real board.
#include <gtest/gtest.h>

#include <climits>

#include "engine/machine.h"
#include "session/addressview.h"
#include "session/session.h"

namespace {

class AddressViewTest : public ::testing::Test {
protected:
    AddressViewTest() : session(ORLEK_PROGRAM_DIR, false), view(session) {}

    TMachine& Board() { return session.Machine(); }
    std::string Row(uint16_t address) { return TAddressView::RowText(address, view.Cell(address)); }

    TSession session;
    TAddressView view;
};

TEST(AddressViewRowTest, OriginFormAndCharacterFollowTheCell) {
    const struct {
        uint16_t address;
        MemoryCell cell;
        const char* text;
    } rows[] = {
        {0x1234, {0x00, NoLine}, "1234 :  00 "},        {0x2000, {0x41, 12}, "2000 : (41)  A"},
        {0x0002, {0x1F, RegisterLine}, "0002 : <1F>"},  {0x0080, {0x20, 0}, "0080 : [20]   "},
        {0x0081, {0x8A, PresetLine}, "0081 : [8A]  Š"}, // Windows-1250, not Latin-1
        {0xFFFF, {0xFF, -7}, "FFFF : [FF]  ˙"},         {0x3000, {0x7F, 4}, "3000 : (7F)  ."},
        {0x3001, {0x7E, 4}, "3001 : (7E)  ~"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(TAddressView::RowText(r.address, r.cell), r.text) << r.text;
}

TEST_F(AddressViewTest, MemoryTopClampsAtTheEndsAndNeverWrapsTheList) {
    // A jump takes any number; the list starts at its low 16 bits.
    view.SetMemoryTop(70000);
    EXPECT_EQ(view.Top(), 0x1170);
    EXPECT_EQ(view.JumpText(), "$11170");
    view.Forward(); // beyond $FFFF: stays put
    EXPECT_EQ(view.MemoryTop(), 70000);
    view.Back();
    EXPECT_EQ(view.Top(), 0x116F);

    view.SetMemoryTop(0);
    view.Back();
    EXPECT_EQ(view.MemoryTop(), 0);
    view.SetMemoryTop(0xFFFF);
    view.Forward();
    EXPECT_EQ(view.MemoryTop(), 0xFFFF);
    view.SetMemoryTop(INT32_MIN);
    EXPECT_EQ(view.JumpText(), "-$80000000");
    view.Back();
    EXPECT_EQ(view.MemoryTop(), 0);

    // Rows that would pass $FFFF are not listed; row addresses wrap like the edit's.
    view.SetMemoryTop(0xFFF8);
    EXPECT_EQ(view.RowCount(17), 8);
    EXPECT_EQ(view.RowCount(3), 3);
    view.SetMemoryTop(-5);
    EXPECT_EQ(view.Top(), 0xFFFB);
    EXPECT_EQ(view.JumpText(), "-$0005"); // confirmed unchanged, it gives -5 back
    EXPECT_EQ(view.RowCount(17), 5);
    EXPECT_EQ(view.RowAddress(4), 0xFFFF);
}

TEST_F(AddressViewTest, FollowsThePcUntilFrozen) {
    EXPECT_STREQ(view.FreezeCaption(), "X");
    view.ProgramCounterMoved(0x2003);
    EXPECT_EQ(view.MemoryTop(), 0x2003);
    view.ToggleFollow();
    EXPECT_STREQ(view.FreezeCaption(), "O");
    view.ProgramCounterMoved(0x2005);
    EXPECT_EQ(view.MemoryTop(), 0x2003);
    view.ToggleFollow();
    view.ProgramCounterMoved(0x2005);
    EXPECT_EQ(view.MemoryTop(), 0x2005);
}

TEST_F(AddressViewTest, ListingRegistersChangesNothingInTheMachine) {
    Board().Timer.St.TCSR = TTimer::TCSR_Flags;
    Board().Sci.St.RDR = 0x5A;
    Board().Sci.St.TRCSR = TSci::TRCSR_RDRF;
    Board().Sci.St.RdrTaken = false;
    Board().Port1.St.Level = 0x9A;
    EXPECT_EQ(Row(0x0008), "0008 : <E0>  ŕ");
    EXPECT_EQ(Row(0x0012), "0012 : <5A>  Z");
    EXPECT_EQ(Row(0x0002), "0002 : <9A>  š");
    // The view reads as the displays do: the flags and the waiting byte are still there.
    EXPECT_EQ(Board().Timer.St.TCSR, TTimer::TCSR_Flags);
    EXPECT_EQ(Board().Sci.St.TRCSR, TSci::TRCSR_RDRF);
    EXPECT_FALSE(Board().Sci.St.RdrTaken);
}

TEST_F(AddressViewTest, ByteEditKeepsTheOriginAndClearEmptiesEverything) {
    TMemory& memory = session.Memory();
    memory.Cells[0x2000] = {0x86, 4};
    view.EditByte(0x1000, 300);  // low 8 bits; an empty cell becomes written by hand
    view.EditByte(0x2000, -1);   // assembled code stays assembled code
    view.EditByte(0x0000, 0xFF); // a register goes to its device
    EXPECT_EQ(Row(0x1000), "1000 : [2C]  ,");
    EXPECT_EQ(Row(0x2000), "2000 : (FF)  ˙");
    EXPECT_EQ(Board().Port1.St.Direction, 0xFF);

    Board().Port1.St.Direction = 0;
    Board().Port1.TogglePin(3);
    Board().Port1.St.Direction = 0xFF;
    view.ClearMemory();
    EXPECT_EQ(Row(0x1000), "1000 :  00 ");
    EXPECT_EQ(Row(0x2000), "2000 :  00 ");
    // Ports reset to inputs keeping their levels.
    EXPECT_EQ(Row(0x0000), "0000 : <00>");
    EXPECT_EQ(Row(0x0002), "0002 : <08>");
}

} // namespace
