// The cycle counter: every opcode against the MC6803 data sheet's counts, interrupt entries,
// SWI and RTI, a delay loop counted by hand, and the time on the chip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/cycles.h"
#include "session/session.h"
#include "tests/session/sourcelines.h"

namespace {

// E-clock cycles of each opcode, written down from the MC6801/MC6803 data sheet's instruction
// tables, independently of the workbench's instruction table (0: no instruction). WAI counts
// its 9 cycles at every step it stands on.
constexpr int kDataSheet[16][16] = {
    {0, 2, 0, 0, 3, 3, 2, 2, 3, 3, 2, 2, 2, 2, 2, 2},    // $0x
    {2, 2, 0, 0, 0, 0, 2, 2, 0, 2, 0, 2, 0, 0, 0, 0},    // $1x
    {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3},    // $2x branches
    {3, 3, 4, 4, 3, 3, 3, 3, 5, 5, 3, 10, 4, 10, 9, 12}, // $3x stack, RTI, MUL, WAI, SWI
    {2, 0, 0, 2, 2, 0, 2, 2, 2, 2, 2, 0, 2, 2, 0, 2},    // $4x A
    {2, 0, 0, 2, 2, 0, 2, 2, 2, 2, 2, 0, 2, 2, 0, 2},    // $5x B
    {6, 0, 0, 6, 6, 0, 6, 6, 6, 6, 6, 0, 6, 6, 3, 6},    // $6x indexed
    {6, 0, 0, 6, 6, 0, 6, 6, 6, 6, 6, 0, 6, 6, 3, 6},    // $7x extended
    {2, 2, 2, 4, 2, 2, 2, 0, 2, 2, 2, 2, 4, 6, 3, 0},    // $8x immediate A, BSR
    {3, 3, 3, 5, 3, 3, 3, 3, 3, 3, 3, 3, 5, 5, 4, 4},    // $9x direct A
    {4, 4, 4, 6, 4, 4, 4, 4, 4, 4, 4, 4, 6, 6, 5, 5},    // $Ax indexed A
    {4, 4, 4, 6, 4, 4, 4, 4, 4, 4, 4, 4, 6, 6, 5, 5},    // $Bx extended A
    {2, 2, 2, 4, 2, 2, 2, 0, 2, 2, 2, 2, 3, 0, 3, 0},    // $Cx immediate B
    {3, 3, 3, 5, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4},    // $Dx direct B
    {4, 4, 4, 6, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5},    // $Ex indexed B
    {4, 4, 4, 6, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5},    // $Fx extended B
};

class CyclesTest : public ::testing::Test {
protected:
    CyclesTest() : session(ORLEK_PROGRAM_DIR, false) {}
    void Load(const std::string& text) {
        lines = Source(text);
        ASSERT_TRUE(session.LoadProgram(lines).Ok);
    }
    TSession session;
    std::vector<std::string> lines;
};

} // namespace

TEST_F(CyclesTest, EveryOpcodeCountsTheDataSheetCycles) {
    const std::string program = "start  nop\n       org $fffe\n       fdb start\n       end\n";
    for (int opcode = 0; opcode < 256; ++opcode) {
        SCOPED_TRACE(testing::Message() << "opcode $" << std::hex << opcode);
        Load(program);
        // NOPs of the program everywhere, so that wherever the opcode leads the step stays inside
        // it; operands $40 $80 point into that memory, the stack too.
        for (uint32_t address = 0x20; address <= 0xFFFF; ++address)
            session.Memory().Cells[address] = MemoryCell{0x01, 5};
        session.Memory().Cells[0x2000].Value = static_cast<uint8_t>(opcode);
        session.Memory().Cells[0x2001].Value = 0x40;
        session.Memory().Cells[0x2002].Value = 0x80;
        Tsimulator& cpu = session.Cpu();
        cpu.PC = 0x2000;
        cpu.SP = 0x0200;
        cpu.X = 0x0100;
        cpu.I = false;
        const uint64_t before = session.Cycles();
        ASSERT_FALSE(session.StepOnce().Left);
        EXPECT_EQ(session.Cycles() - before, static_cast<uint64_t>(kDataSheet[opcode >> 4][opcode & 15]));
        session.Stop();
    }
}

// Interrupt entries take 12 cycles each (two in one check take 24), SWI 12 with its entry, RTI
// 10. A double-click's reset and a load start again from 0.
TEST_F(CyclesTest, InterruptEntriesSwiAndRtiHaveTheirOwnCounts) {
    Load("       org $2000\n"
         "start  lds #$00FF\n" // 3
         "       cli\n"        // 2
         "       nop\n"        // 2, then the IRQ's entry 12
         "       swi\n"        // 12
         "       nop\n"        // 2, then TOF and OCF entered together: 24
         "here   bra here\n"   // 3
         "irq    rti\n"        // 10
         "       org $fff2\n"
         "       fdb irq\n"
         "       fdb irq\n"
         "       org $fff8\n"
         "       fdb irq\n"
         "       fdb irq\n"
         "       org $fffe\n"
         "       fdb start\n"
         "       end\n");
    auto step = [this] {
        const uint64_t before = session.Cycles();
        session.StepOnce();
        return session.Cycles() - before;
    };
    EXPECT_EQ(step(), 3u);
    EXPECT_EQ(step(), 2u);
    session.RequestIrq();
    EXPECT_EQ(step(), 2u + 12u);
    EXPECT_EQ(step(), 10u); // rti
    EXPECT_EQ(step(), 12u); // swi
    EXPECT_EQ(step(), 10u); // rti
    session.Machine().Raise(InterruptSource::TOF);
    session.Machine().Raise(InterruptSource::OCF);
    EXPECT_EQ(step(), 2u + 24u);
    EXPECT_EQ(session.Cycles(), 3u + 2u + 14u + 10u + 12u + 10u + 26u);

    session.ResetCycles();
    EXPECT_EQ(step(), 10u);
    EXPECT_EQ(session.Cycles(), 10u);
    session.Stop();
    Load("start  nop\n       org $fffe\n       fdb start\n       end\n");
    EXPECT_EQ(session.Cycles(), 0u);
}

// X counts 1000 down: LDX 3, then 1000 times DEX 3 and BNE 3, then NOP 2: 6005 cycles, 4.887 ms
// at 1.2288 MHz.
TEST_F(CyclesTest, DelayLoopTakesTheCyclesCountedByHand) {
    Load("       org $2000\n"
         "start  ldx #1000\n"
         "loop   dex\n"
         "       bne loop\n"
         "       nop\n"
         "       org $fffe\n"
         "       fdb start\n"
         "       end\n");
    while (!session.StepOnce().Left) {
    }
    EXPECT_EQ(session.Cycles(), 6005u);
    EXPECT_EQ(CycleTimeText(session.Cycles()), "4,887 ms");
    EXPECT_EQ(CycleCountText(session.Cycles()), "Cikli: 6005");
}

TEST(CycleTimeTest, MicrosecondsMillisecondsSecondsThenMinutes) {
    constexpr uint64_t second = 1228800;
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "0,0 \u00b5s"},
        {1, "0,8 \u00b5s"},
        {1228, "999,3 \u00b5s"},
        {1229, "1,000 ms"},
        {second - 1, "999,999 ms"},
        {second, "1,000 s"},
        {second * 59 + second / 2, "59,500 s"},
        {second * 60 - 1, "1 min 0,0 s"},
        {second * 65 + second * 3 / 10, "1 min 5,3 s"},
        {uint64_t{4815695439}, "65 min 19,0 s"}, // 3.919.022,981 ms
        {second * 3600 * 24, "1.440 min 0,0 s"},
        {UINT64_MAX, "250.199.979.298 min 21,7 s"},
    };
    for (const auto& [cycles, text] : cases)
        EXPECT_EQ(CycleTimeText(cycles), text) << cycles;
}
