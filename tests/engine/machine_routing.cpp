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
    board.Sci.St.RDR = 0x5A;
    board.Memory.Write(0x12, MemoryCell{0x99, 7}, false);
    EXPECT_EQ(board.Memory.Cells[0x12].Value, 0x99);
    EXPECT_EQ(board.Memory.Cells[0x12].Line, 7);
    MemoryCell c = board.Memory.Read(0x12, false);
    EXPECT_EQ(c.Value, 0x5A);
    EXPECT_EQ(c.Line, RegisterLine);
    EXPECT_EQ(board.Sci.St.RDR, 0x5A);
}

TEST_F(RoutingTest, RoutedReadsCarryRegisterLine) {
    for (uint16_t a = 0; a < 0x20; ++a)
        board.Memory.Cells[a] = MemoryCell{0xEE, 12};
    board.Timer.St.Counter = 0x1234;
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
    board.Timer.St.Counter = 0x4321;
    board.Memory.Trace.Triggered = true;
    board.Memory.Cells[0x4000] = MemoryCell{1, 2};

    board.Memory.Clear();
    EXPECT_EQ(board.Port1.St.Direction, 0);
    EXPECT_EQ(board.Port1.St.Level, 0xF8);
    EXPECT_EQ(board.Sci.St.RMCR, 0);
    EXPECT_TRUE(sciReset); // the external side empties its fields then
    EXPECT_EQ(board.Timer.St.TCSR, 0x1F);
    EXPECT_EQ(board.Timer.St.Counter, 0x4321);
    EXPECT_FALSE(board.Memory.Trace.Triggered);
    EXPECT_EQ(board.Memory.Cells[0x4000].Line, NoLine);
}

TEST_F(RoutingTest, ResetForRunResetsProcessorSciAndTimer) {
    board.Memory.Cells[0xFFFE] = MemoryCell{0x12, 1};
    board.Memory.Cells[0xFFFF] = MemoryCell{0x34, 1};
    board.Raise(InterruptSource::IRQ);
    board.Sci.St.TRCSR = 0xFF;
    board.Timer.St.TCSR = 0xFF;
    board.ResetForRun();
    EXPECT_EQ(board.Cpu.PC, 0x1234);
    EXPECT_TRUE(board.Cpu.I);
    EXPECT_TRUE(board.Cpu.Pending.none());
    EXPECT_EQ(board.Sci.St.TRCSR, 0);
    EXPECT_EQ(board.Timer.St.TCSR, 0);
    EXPECT_FALSE(board.loaded);
}

// Peek gives every address what a read gives, and leaves the whole board as it was: no flag
// cleared, no request withdrawn, no device access counted, no trace row.
TEST_F(RoutingTest, PeekReadsWhatAReadReadsWithoutItsSideEffects) {
    board.loaded = true;
    for (uint16_t a = 0; a < 0x20; ++a)
        board.Memory.Cells[a] = MemoryCell{static_cast<uint8_t>(0xA0 + a), 12};
    Wr(0x00, 0x0F);
    Wr(0x02, 0x05);
    board.Port2.TogglePin(0);
    board.Timer.St = {0x1234, 0x5678, 0x9ABC, static_cast<uint8_t>(TTimer::TCSR_Flags | TTimer::TCSR_ETOI)};
    board.Raise(InterruptSource::TOF);
    board.Sci.St.RMCR = 0x02;
    board.Sci.St.TRCSR = TSci::TRCSR_RDRF | TSci::TRCSR_RE;
    board.Sci.St.RDR = 0x41;
    board.Sci.St.RdrTaken = false;
    board.Memory.Trace.Qualifiers.Add(*ParseCondition("x", "x", "R"));
    board.Memory.Trace.Triggered = true;
    board.Memory.TraceEnabled = true;
    for (uint16_t a = 0; a < 0x20; ++a) {
        SCOPED_TRACE(a);
        const TMachine::State before = board.Capture();
        const uint64_t accesses = board.Memory.DeviceAccesses;
        const MemoryCell peeked = board.Memory.Peek(a);
        EXPECT_TRUE(board.Capture() == before);
        EXPECT_EQ(board.Memory.DeviceAccesses, accesses);
        EXPECT_TRUE(board.Memory.Trace.Rows().empty());
        EXPECT_EQ(peeked, board.Memory.Read(a, false));
        board.Restore(before);
    }
}

// The board as one value: captured, changed by a run, put back, it runs on exactly as before.
TEST_F(RoutingTest, ARestoredBoardRunsOnAsTheCapturedOne) {
    board.Random.Seed(5);
    board.loaded = true;
    // inc $80 ; ldaa $08 (acknowledges the timer's flags) ; staa $02 ; bra to the start
    const uint8_t program[] = {0x7C, 0x00, 0x80, 0x96, 0x08, 0x97, 0x02, 0x20, 0xF7};
    for (size_t k = 0; k < sizeof program; ++k)
        board.Memory.Cells[0x1000 + k] = MemoryCell{program[k], static_cast<int16_t>(k + 1)};
    board.Cpu.PC = 0x1000;
    Wr(0x00, 0xFF);
    Wr(0x08, TTimer::TCSR_ETOI);
    auto run = [&](int steps) {
        uint8_t status = 0;
        for (int k = 0; k < steps; ++k) {
            board.Cpu.Step(status);
            if (k % 3 == 0) board.Timer.TimerTick();
            if (k % 7 == 0) board.Sci.SciTick();
        }
    };
    run(100);
    const TMachine::State captured = board.Capture();
    run(500);
    const TMachine::State later = board.Capture();
    EXPECT_FALSE(later == captured);
    board.Restore(captured);
    EXPECT_TRUE(board.Capture() == captured);
    run(500);
    EXPECT_TRUE(board.Capture() == later);
}
