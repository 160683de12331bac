#include "tests/engine/devices_fixture.h"

using RoutingTest = BoardTest;

TEST_F(RoutingTest, PlainCellsStartEmpty) {
    for (uint16_t a : {0x0004, 0x0007, 0x000F, 0x0014, 0x0080, 0x8000, 0xFFFF}) {
        MemoryCell c = board.Memory.Read(a, false);
        EXPECT_EQ(c.Value, 0);
        EXPECT_EQ(c.Line, NoLine);
    }
}

TEST_F(RoutingTest, ReceiveRegisterIsReadFromSciButWrittenToMemory) {
    board.Sci.RDR = 0x5A;
    board.Memory.Write(0x12, MemoryCell{0x99, 7}, false);
    EXPECT_EQ(board.Memory.Cells[0x12].Value, 0x99);
    EXPECT_EQ(board.Memory.Cells[0x12].Line, 7);
    MemoryCell c = board.Memory.Read(0x12, false);
    EXPECT_EQ(c.Value, 0x5A);
    EXPECT_EQ(c.Line, RegisterLine);
    EXPECT_EQ(board.Sci.RDR, 0x5A);
}

TEST_F(RoutingTest, RoutedReadsCarryRegisterLine) {
    for (uint16_t a = 0; a < 0x20; ++a)
        board.Memory.Cells[a] = MemoryCell{0xEE, 12};
    board.Timer.Counter = 0x1234;
    for (uint16_t a :
         {0x00, 0x01, 0x02, 0x03, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x10, 0x11, 0x12, 0x13}) {
        MemoryCell c = board.Memory.Read(a, false);
        EXPECT_EQ(c.Line, RegisterLine) << a;
        EXPECT_NE(c.Value, 0xEE) << a;
    }
    EXPECT_EQ(board.Memory.Read(0x09, false).Value, 0x12);
    for (uint16_t a : {0x04, 0x05, 0x06, 0x07, 0x0F, 0x14})
        EXPECT_EQ(board.Memory.Read(a, false).Line, 12) << a;
}

TEST_F(RoutingTest, ClearResetsPortsAndSciButNotTimer) {
    board.Port1.TogglePin(3);
    Wr(0x00, 0xF0);
    Wr(0x02, 0xF0);
    Wr(0x10, 0x02);
    bool sciReset = false;
    board.Sci.onReset = [&] { sciReset = true; };
    Wr(0x08, 0x1F);
    board.Timer.Counter = 0x4321;
    board.Memory.Trace.Triggered = true;
    board.Memory.Cells[0x4000] = MemoryCell{1, 2};

    board.Memory.Clear();
    EXPECT_EQ(board.Port1.Direction, 0);
    EXPECT_EQ(board.Port1.Level, 0xF8);
    EXPECT_EQ(board.Sci.RMCR, 0);
    EXPECT_TRUE(sciReset); // the external side empties its fields then
    EXPECT_EQ(board.Timer.TCSR, 0x1F);
    EXPECT_EQ(board.Timer.Counter, 0x4321);
    EXPECT_FALSE(board.Memory.Trace.Triggered);
    EXPECT_EQ(board.Memory.Cells[0x4000].Line, NoLine);
}

TEST_F(RoutingTest, ResetForRunResetsProcessorSciAndTimer) {
    board.Memory.Cells[0xFFFE] = MemoryCell{0x12, 1};
    board.Memory.Cells[0xFFFF] = MemoryCell{0x34, 1};
    board.Raise(InterruptSource::IRQ);
    board.Sci.TRCSR = 0xFF;
    board.Timer.TCSR = 0xFF;
    board.ResetForRun();
    EXPECT_EQ(board.Cpu.PC, 0x1234);
    EXPECT_TRUE(board.Cpu.I);
    EXPECT_TRUE(board.Cpu.Pending.none());
    EXPECT_EQ(board.Sci.TRCSR, 0);
    EXPECT_EQ(board.Timer.TCSR, 0);
    EXPECT_FALSE(board.loaded);
}
