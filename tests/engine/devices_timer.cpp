#include "tests/engine/devices_fixture.h"

using TimerTest = BoardTest;

TEST_F(TimerTest, OverflowSetsTofAndMatchesCompareZero) {
    board.Timer.St.Counter = 0xFFFF;
    board.Timer.TimerTick();
    EXPECT_EQ(board.Timer.St.Counter, 0);
    EXPECT_EQ(board.Timer.St.TCSR, TTimer::TCSR_TOF | TTimer::TCSR_OCF);
    board.Timer.TimerTick();
    EXPECT_EQ(board.Timer.St.Counter, 1);
}

TEST_F(TimerTest, FlagsAreClearedOnlyByTheirSequences) {
    board.Timer.St.TCSR = TTimer::TCSR_Flags;
    EXPECT_EQ(Rd(0x08), TTimer::TCSR_Flags);
    EXPECT_EQ(board.Timer.St.TCSR, TTimer::TCSR_OCF);
    Wr(0x0C, 0x10);
    EXPECT_EQ(board.Timer.St.TCSR, 0);
    board.Timer.St.TCSR = TTimer::TCSR_OCF;
    Wr(0x0B, 0x10);
    EXPECT_EQ(board.Timer.St.TCSR, 0);
    EXPECT_EQ(board.Timer.St.OutputCompare, 0x1010);
    // Reads of the data registers have no side effects.
    board.Timer.St.TCSR = TTimer::TCSR_Flags;
    for (uint16_t a = 0x09; a <= 0x0E; ++a)
        Rd(a);
    EXPECT_EQ(board.Timer.St.TCSR, TTimer::TCSR_Flags);
}

TEST_F(TimerTest, ControlWriteKeepsFlags) {
    board.Timer.St.TCSR = TTimer::TCSR_TOF;
    Wr(0x08, 0xFF);
    EXPECT_EQ(board.Timer.St.TCSR, 0x3F);
    Wr(0x08, 0x00);
    EXPECT_EQ(board.Timer.St.TCSR, TTimer::TCSR_TOF);
}

TEST_F(TimerTest, RegisterBytesAreWrittenSeparately) {
    board.Timer.St.Counter = 0x3456;
    Wr(0x09, 0x12);
    EXPECT_EQ(board.Timer.St.Counter, 0x1256);
    Wr(0x0A, 0x78);
    EXPECT_EQ(board.Timer.St.Counter, 0x1278);
    EXPECT_EQ(Rd(0x09), 0x12);
    EXPECT_EQ(Rd(0x0A), 0x78);
    Wr(0x0D, 0xAB);
    Wr(0x0E, 0xCD);
    EXPECT_EQ(board.Timer.St.InputCapture, 0xABCD);
    // Writing the counter onto the compare value is not a match; the next tick decides.
    Wr(0x0B, 0x12);
    Wr(0x0C, 0x79);
    EXPECT_FALSE(board.Timer.St.TCSR & TTimer::TCSR_OCF);
    board.Timer.TimerTick();
    EXPECT_TRUE(board.Timer.St.TCSR & TTimer::TCSR_OCF);
}

TEST_F(TimerTest, AdvanceSaturatesAtFff0) {
    struct Case {
        uint16_t from, step, to;
    };
    for (Case c :
         {Case{0xFEFF, 0x100, 0xFFFF}, Case{0xFF00, 0x100, 0xFFF0}, Case{0xFFFF, 0x100, 0xFFF0},
          Case{0xEFFF, 0x1000, 0xFFFF}, Case{0xF000, 0x1000, 0xFFF0}, Case{0x0000, 0x1000, 0x1000}}) {
        board.Timer.St.Counter = c.from;
        board.Timer.AdvanceCounter(c.step);
        EXPECT_EQ(board.Timer.St.Counter, c.to) << std::hex << c.from << " + " << c.step;
    }
    // Jumping over the compare value neither matches nor sets a flag.
    board.Timer.St.Counter = 0x0000;
    board.Timer.St.OutputCompare = 0x0080;
    board.Timer.AdvanceCounter(0x100);
    EXPECT_EQ(board.Timer.St.TCSR, 0);
}

TEST_F(TimerTest, CompareDrivesPort2Pin1OnlyWhenOutput) {
    board.Timer.St.OutputCompare = 0x0010;
    board.Timer.St.Counter = 0x000F;
    Wr(0x08, TTimer::TCSR_OLVL);
    board.Timer.TimerTick(); // pin 1 an input
    EXPECT_TRUE(board.Timer.St.TCSR & TTimer::TCSR_OCF);
    EXPECT_EQ(board.Port2.St.Level, 0);

    Wr(0x01, 0x06); // pins 2 and 1 outputs
    Wr(0x03, 0x04);
    board.Port2.TogglePin(0);
    board.Timer.St.Counter = 0x000F;
    board.Timer.TimerTick();
    EXPECT_EQ(board.Port2.St.Level, 0x07);
    Wr(0x08, 0);
    board.Timer.St.Counter = 0x000F;
    board.Timer.TimerTick();
    EXPECT_EQ(board.Port2.St.Level, 0x05);
    // The drive is not a program access: it leaves no trace.
    EXPECT_TRUE(board.Memory.Trace.Rows().empty());
}

TEST_F(TimerTest, CaptureEdgeFollowsIedg) {
    board.Timer.St.Counter = 0x4242;
    board.Timer.CaptureEdge(1); // IEDG = 0 wants a falling edge
    EXPECT_EQ(board.Timer.St.TCSR, 0);
    board.Timer.CaptureEdge(0);
    EXPECT_EQ(board.Timer.St.InputCapture, 0x4242);
    EXPECT_EQ(board.Timer.St.TCSR, TTimer::TCSR_ICF);
    EXPECT_FALSE(Pending(InterruptSource::ICF)); // the request comes with the next tick
    Wr(0x08, TTimer::TCSR_EICI);
    board.Timer.TimerTick();
    EXPECT_TRUE(Pending(InterruptSource::ICF));
}

TEST_F(TimerTest, RequestRepeatsEveryTickUntilFlagCleared) {
    Wr(0x08, TTimer::TCSR_ETOI | TTimer::TCSR_EOCI);
    board.Timer.St.OutputCompare = 0x8000;
    board.Timer.St.Counter = 0xFFFF;
    board.Timer.TimerTick();
    EXPECT_TRUE(Pending(InterruptSource::TOF));
    EXPECT_FALSE(Pending(InterruptSource::OCF));
    board.Cpu.Pending.reset(InterruptSource::TOF); // taken by the processor
    board.Timer.TimerTick();
    EXPECT_TRUE(Pending(InterruptSource::TOF));
    board.Cpu.Pending.reset(InterruptSource::TOF);
    Rd(0x08);
    board.Timer.TimerTick();
    EXPECT_FALSE(Pending(InterruptSource::TOF));
    // The timer never withdraws a request.
    board.Cpu.Pending.set(InterruptSource::OCF);
    board.Timer.TimerTick();
    EXPECT_TRUE(Pending(InterruptSource::OCF));
}

TEST_F(TimerTest, AcknowledgedEventWithdrawsItsWaitingRequest) {
    // A handler that runs across a tick leaves a second request for the same event behind; once the
    // program acknowledges the event, that request must not enter the handler a second time.
    Wr(0x08, TTimer::TCSR_ETOI | TTimer::TCSR_EOCI | TTimer::TCSR_EICI);
    board.Timer.St.TCSR |= TTimer::TCSR_Flags;
    board.Timer.TimerTick();
    EXPECT_TRUE(Pending(InterruptSource::TOF));
    EXPECT_TRUE(Pending(InterruptSource::OCF));
    EXPECT_TRUE(Pending(InterruptSource::ICF));
    Rd(0x08); // acknowledges overflow and capture
    EXPECT_FALSE(Pending(InterruptSource::TOF));
    EXPECT_FALSE(Pending(InterruptSource::ICF));
    EXPECT_TRUE(Pending(InterruptSource::OCF));
    Wr(0x0C, 0x00); // acknowledges the compare match
    EXPECT_FALSE(Pending(InterruptSource::OCF));

    // Switching an enable bit off withdraws its request; a flag that stays set keeps the request
    // of an event that is still enabled.
    board.Timer.St.TCSR |= TTimer::TCSR_Flags;
    board.Timer.TimerTick();
    Wr(0x08, TTimer::TCSR_ETOI);
    EXPECT_TRUE(Pending(InterruptSource::TOF));
    EXPECT_FALSE(Pending(InterruptSource::OCF));
    EXPECT_FALSE(Pending(InterruptSource::ICF));
    // Reads of the data registers acknowledge nothing.
    Rd(0x09);
    EXPECT_TRUE(Pending(InterruptSource::TOF));
}

TEST_F(TimerTest, ResetTimerIsReproducibleWithAFixedSeed) {
    auto other = std::make_unique<TMachine>();
    other->Random.Seed(1234);
    board.Timer.St.TCSR = 0xFF;
    board.Timer.St.OutputCompare = 1;
    board.Timer.St.InputCapture = 2;
    board.Timer.ResetTimer();
    other->Timer.ResetTimer();
    EXPECT_EQ(board.Timer.St.Counter, other->Timer.St.Counter);
    EXPECT_EQ(board.Timer.St.TCSR, 0);
    EXPECT_EQ(board.Timer.St.OutputCompare, 0);
    EXPECT_EQ(board.Timer.St.InputCapture, 0);
    // Later resets continue the fixed sequence rather than reseeding from the clock.
    uint16_t first = board.Timer.St.Counter;
    board.Timer.ResetTimer();
    other->Timer.ResetTimer();
    EXPECT_EQ(board.Timer.St.Counter, other->Timer.St.Counter);
    EXPECT_NE(board.Timer.St.Counter, first);
}
