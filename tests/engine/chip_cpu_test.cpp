// The processor's rules in the chip model, each against the classic model's where they differ.
#include "tests/engine/chip_fixture.h"

namespace {

constexpr TProcessorModel kClassic = TProcessorModel::Classic;
constexpr TProcessorModel kChip = TProcessorModel::Chip;

// SWI with I set, RTI of a frame whose CCR has I set, WAI, and an undocumented opcode: where PC
// ends and what I is, in both models.
struct RuleRow {
    const char* name;
    std::initializer_list<uint8_t> code;
    bool iBefore;
    uint16_t classicPC, chipPC;
    bool classicI, chipI;
};

TEST(ChipRules, InstructionsDifferOnlyInTheChipModel) {
    const RuleRow rows[] = {
        {"SWI masked", {0x3F}, true, 0x2001, 0x3000, true, true},
        {"RTI keeps I", {0x3B}, false, 0x2345, 0x2345, false, true},
        {"WAI", {0x3E}, false, 0x2000, 0x2001, false, false},
        {"undocumented $41", {0x41}, false, 0x2000, 0x2001, false, false},
    };
    for (const RuleRow& row : rows)
        for (TProcessorModel model : {kClassic, kChip}) {
            ChipBoard f(model);
            f.PutWord(0xFFFA, 0x3000);
            f.Load(row.code);
            // The frame RTI pulls: CCR with I set, B, A, X, PC $2345.
            f.Put(0x1000, {0xD0, 0x00, 0x00, 0x00, 0x00, 0x23, 0x45});
            f.cpu.SP = 0x0FFF;
            f.cpu.I = row.iBefore;
            f.Steps(1);
            const bool chip = model == kChip;
            EXPECT_EQ(f.cpu.PC, chip ? row.chipPC : row.classicPC) << row.name << " chip=" << chip;
            EXPECT_EQ(f.cpu.I, chip ? row.chipI : row.classicI) << row.name << " chip=" << chip;
        }
}

// DAA over inputs the BCD table leaves alone, with the chip's carry and flags.
TEST(ChipRules, DecimalAdjustCoversEveryInput) {
    struct Row {
        uint8_t a;
        bool h, c;
        uint8_t result;
        bool carry;
    } rows[] = {
        {0x9A, false, false, 0x00, true},  {0xA0, false, false, 0x00, true},
        {0x0F, false, false, 0x15, false}, {0x3B, true, false, 0x41, false},
        {0x99, false, false, 0x99, false}, {0xFF, false, false, 0x65, true},
        {0x9F, false, false, 0x05, true},  {0x1A, false, true, 0x80, true},
        {0x2D, true, true, 0x93, true},
    };
    for (const Row& row : rows) {
        ChipBoard f;
        f.Load({0x19});
        f.cpu.A = row.a;
        f.cpu.JoinD();
        f.cpu.H = row.h;
        f.cpu.C = row.c;
        f.cpu.V = true;
        f.Steps(1);
        EXPECT_EQ(f.cpu.A, row.result) << std::hex << int(row.a);
        EXPECT_EQ(f.cpu.C, row.carry) << std::hex << int(row.a);
        EXPECT_EQ(f.cpu.N, (row.result & 0x80) != 0);
        EXPECT_EQ(f.cpu.Z, row.result == 0);
        EXPECT_FALSE(f.cpu.V);
        EXPECT_EQ(f.cpu.D, f.cpu.A << 8 | f.cpu.B);
    }
}

// The store-immediate forms write over their operand bytes; the rest are one-byte no-ops.
TEST_F(ChipTest, UndocumentedOpcodesActAsTheChip) {
    Load({0x87, 0x00, 0xCF, 0x00, 0x00, 0xCD, 0x00, 0x00, 0x8F, 0x00, 0x00, 0xC7, 0x00, 0x52});
    cpu.A = 0x81, cpu.B = 0x00, cpu.JoinD();
    cpu.X = 0x1234;
    cpu.SP = 0x0FFF;
    Steps(6);
    EXPECT_EQ(Cell(0x2001), 0x81);
    EXPECT_EQ(Cell(0x2003) << 8 | Cell(0x2004), 0x1234);
    EXPECT_EQ(Cell(0x2006) << 8 | Cell(0x2007), 0x8100);
    EXPECT_EQ(Cell(0x2009) << 8 | Cell(0x200A), 0x0FFF);
    EXPECT_EQ(Cell(0x200C), 0x00);
    EXPECT_TRUE(cpu.Z); // STAB of 0
    EXPECT_EQ(cpu.PC, 0x200E);
    EXPECT_EQ(Now(), 2u + 3 + 5 + 3 + 2 + 5);
}

// The data sheet's cycle counts of SWI, RTI, WAI and the interrupt entries, on the clock.
TEST(ChipCycles, InterruptInstructionsAndEntries) {
    struct Row {
        const char* name;
        std::initializer_list<uint8_t> code;
        bool irq;
        int steps;
        uint64_t cycles;
    } rows[] = {
        {"SWI", {0x3F}, false, 1, 12},
        {"RTI", {0x3B}, false, 1, 10},
        {"WAI", {0x3E}, false, 1, 9},
        {"NOP + IRQ entry", {0x01}, true, 1, 2 + 12},
        {"WAI woken by IRQ", {0x3E}, true, 1, 9 + 4},
    };
    for (const Row& row : rows) {
        ChipBoard f;
        f.PutWord(0xFFF8, 0x3000);
        f.PutWord(0xFFFA, 0x3000);
        f.Load(row.code);
        f.cpu.I = false;
        if (row.irq) f.board.Raise(InterruptSource::IRQ);
        f.Steps(row.steps);
        EXPECT_EQ(f.Now(), row.cycles) << row.name;
        if (row.irq) {
            EXPECT_EQ(f.cpu.PC, 0x3000) << row.name;
        }
    }
}

// WAI waits visibly: steps go on, the clock advances, an interrupt ends the wait.
TEST_F(ChipTest, WaitLetsTimePassUntilAnInterrupt) {
    PutWord(0xFFF4, 0x3000);
    Load({0x3E, 0x01});
    cpu.I = false;
    Wr(0x0B, 0x01); // compare at $0100
    Wr(0x0C, 0x00);
    Wr(0x08, TTimer::TCSR_EOCI);
    Steps(1);
    EXPECT_TRUE(cpu.Waiting);
    EXPECT_EQ(cpu.SP, 0x0FFF - 7);
    uint64_t steps = 1;
    while (cpu.Waiting && steps < 1000) {
        Steps(1);
        ++steps;
    }
    EXPECT_FALSE(cpu.Waiting);
    EXPECT_EQ(cpu.PC, 0x3000);
    EXPECT_EQ(Now(), 0x100u + kChipWakeCycles); // the match at $0100, then the vector fetch
}

// One entry per boundary, in the chip's priority; on-chip requests stay until acknowledged.
TEST_F(ChipTest, OneInterruptPerBoundaryInChipPriority) {
    PutWord(0xFFF6, 0x3000); // ICF
    PutWord(0xFFF2, 0x3100); // TOF
    PutWord(0xFFF0, 0x3200); // SCI
    Load({0x01});
    cpu.I = false;
    Wr(0x08, TTimer::TCSR_EICI | TTimer::TCSR_ETOI | TTimer::TCSR_IEDG);
    Wr(0x09, 0); // preset to $FFF8: the overflow comes 8 cycles later
    board.Timer.CaptureEdge(1);
    Pass(8);
    Steps(1);
    EXPECT_EQ(cpu.PC, 0x3000);
    EXPECT_EQ(cpu.SP, 0x0FFF - 7);
    EXPECT_TRUE(cpu.Pending.test(InterruptSource::TOF));
}

// A run in the engine's loop counts the same cycles and ends in the same state as single steps.
TEST_F(ChipTest, RunLoopMatchesSteps) {
    const std::initializer_list<uint8_t> loop = {0x4C, 0x3E, 0x20, 0xFC}; // INCA; WAI; BRA
    Load(loop);
    TRunProgress progress;
    cpu.Run(50, TRunStops{}, progress);
    const Tsimulator::State run = cpu.Save();
    const uint64_t runCycles = Now();
    EXPECT_EQ(progress.Cycles, runCycles);
    Load(loop);
    Steps(50);
    EXPECT_EQ(cpu.Save(), run);
    EXPECT_EQ(Now(), runCycles);
}

} // namespace
