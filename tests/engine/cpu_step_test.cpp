// Instruction execution: state access, addressing, the individual instruction families and
// the bus accesses a step makes.
#include "tests/engine/cpu_fixture.h"

namespace {

// ---- Processor state and stack ------------------------------------------------------------

TEST_F(CpuTest, ResetLoadsTheVectorSetsIAndClearsEverythingElse) {
    PutWord(0xFFFE, 0xC000);
    cpu.A = 1;
    cpu.B = 2;
    cpu.JoinD();
    cpu.X = 3;
    cpu.SP = 4;
    cpu.C = cpu.V = cpu.Z = cpu.N = cpu.H = true;
    cpu.I = false;
    cpu.Pending.set(InterruptSource::IRQ);
    cpu.Pending.set(InterruptSource::NMI);
    cpu.Reset();
    EXPECT_EQ(cpu.PC, 0xC000);
    EXPECT_EQ(cpu.A, 0);
    EXPECT_EQ(cpu.B, 0);
    EXPECT_EQ(cpu.D, 0);
    EXPECT_EQ(cpu.X, 0);
    EXPECT_EQ(cpu.SP, 0);
    EXPECT_EQ(cpu.PackCCR(), 0xD0); // only I set
    EXPECT_TRUE(cpu.Pending.none());
}

TEST_F(CpuTest, CcrPacksWithTopBitsSetAndUnpackIgnoresThem) {
    cpu.UnpackCCR(0x3F);
    EXPECT_EQ(cpu.PackCCR(), 0xFF);
    cpu.UnpackCCR(0xC0);
    EXPECT_EQ(cpu.PackCCR(), 0xC0);
    cpu.UnpackCCR(0x15); // I, Z, C
    EXPECT_TRUE(cpu.I && cpu.Z && cpu.C);
    EXPECT_FALSE(cpu.H || cpu.N || cpu.V);
}

TEST_F(CpuTest, WordAccessAndStackWrapAt16Bits) {
    Put(0xFFFF, {0x12});
    Put(0x0004, {0x34});                     // plain cell beside the port registers
    EXPECT_EQ(cpu.ReadWord(0xFFFF), 0x1200); // $0000 is the unattached Port 1 register: reads 0
    cpu.SP = 0x0000;
    cpu.PushWord(0xABCD);
    EXPECT_EQ(cpu.SP, 0xFFFE);
    EXPECT_EQ(Peek(0xFFFF), 0xAB);
    cpu.SP = 0x0003;
    cpu.PushWord(0x5678);
    EXPECT_EQ(Peek(0x0003), 0x00) << "Port 2 data register takes the byte, not the cell";
    EXPECT_EQ(Peek(0x0002), 0x00);
    cpu.SP = 0x0003;
    EXPECT_EQ(cpu.PullByte(), 0x34);
    EXPECT_EQ(cpu.SP, 0x0004);
}

TEST_F(CpuTest, PushWordAtZeroHandsTheLowByteToPort1Direction) {
    FakeDevice port1;
    memory->Port1 = &port1;
    cpu.SP = 0;
    cpu.PushWord(0xBEEF);
    EXPECT_EQ(port1.written[0x0000], 0xEF);
    EXPECT_EQ(Peek(0xFFFF), 0xBE);
    EXPECT_EQ(cpu.SP, 0xFFFE);
}

TEST_F(CpuTest, PulaFromTopOfMemoryReadsPort1DirectionAndWrapsSp) {
    FakeDevice port1;
    port1.values[0x0000] = 0x5C;
    memory->Port1 = &port1;
    cpu.SP = 0xFFFF;
    Run(0x2000, {0x32}); // PULA
    EXPECT_EQ(cpu.A, 0x5C);
    EXPECT_EQ(cpu.SP, 0x0000);
    EXPECT_EQ(port1.reads[0x0000], 1);
    ExpectDConsistent();
}

TEST_F(CpuTest, ProgramWritesTagCellsWithLineZero) {
    SetA(0x42);
    Put(0x3000, {0x99}, 17);
    EXPECT_EQ(Run(0x2000, {0xB7, 0x30, 0x00}), NoLine); // STAA $3000; nothing assembled after it
    EXPECT_EQ(memory->Cells[0x3000].Value, 0x42);
    EXPECT_EQ(memory->Cells[0x3000].Line, 0);
    EXPECT_EQ(status, 0);
}

// ---- Step result and accesses ----------------------------------------------------------------

TEST_F(CpuTest, StepReturnsTheLineOfTheCellAtTheNewPc) {
    Put(0x2000, {0x01}, 5);
    Put(0x2001, {0x01}, 6);
    cpu.PC = 0x2000;
    EXPECT_EQ(Step(), 6);
    EXPECT_EQ(Step(), -1) << "no assembled code after the second NOP";
    cpu.PC = 0x2000;
    memory->Write(0x2001, MemoryCell{0x01, 0}, false);
    EXPECT_EQ(Step(), 0) << "cell written by the program";
}

TEST_F(CpuTest, LandingOnARegisterReadsItWithItsSideEffects) {
    FakeDevice timer;
    memory->Timer = &timer;
    // JMP $0008: the step's final read hits the timer status register.
    EXPECT_EQ(Run(0x2000, {0x7E, 0x00, 0x08}), RegisterLine);
    EXPECT_EQ(cpu.PC, 0x0008);
    EXPECT_EQ(timer.reads[0x0008], 1);
}

TEST_F(CpuTest, UndefinedOpcodesChangeNothingAndAreMetAgain) {
    for (uint8_t op : {uint8_t{0x00}, uint8_t{0x3E}, uint8_t{0x87}, uint8_t{0xCF}}) {
        Put(0x2000, {op}, 9);
        cpu.PC = 0x2000;
        SetA(0x12);
        SetB(0x34);
        cpu.X = 0x5678;
        cpu.SP = 0x0100;
        cpu.UnpackCCR(0x2B);
        EXPECT_EQ(Step(), 9);
        EXPECT_EQ(Step(), 9);
        EXPECT_EQ(cpu.PC, 0x2000);
        EXPECT_EQ(cpu.D, 0x1234);
        EXPECT_EQ(cpu.X, 0x5678);
        EXPECT_EQ(cpu.SP, 0x0100);
        EXPECT_EQ(cpu.PackCCR(), 0xEB);
        EXPECT_EQ(status, 0);
    }
}

TEST_F(CpuTest, ReadModifyWriteFetchesItsOperandAddressTwice) {
    // Code at $0007 puts the extended operand address bytes on the timer registers $08/$09,
    // which answer $30 $00; counting their reads counts the operand fetches.
    FakeDevice timer;
    timer.values[0x08] = 0x30;
    timer.values[0x09] = 0x00;
    memory->Timer = &timer;
    Put(0x3000, {0x41});

    Put(0x0007, {0x7C}); // INC $3000
    cpu.PC = 0x0007;
    EXPECT_EQ(Step(), RegisterLine) << "new PC $000A is the timer counter";
    EXPECT_EQ(Peek(0x3000), 0x42);
    EXPECT_EQ(timer.reads[0x08], 2);
    EXPECT_EQ(timer.reads[0x09], 2);
    EXPECT_EQ(timer.reads[0x0A], 1);

    for (auto [op, fetches] : {std::pair<uint8_t, int>{0x7D, 1}, {0x7F, 1}, {0x73, 2}}) { // TST, CLR, COM
        timer.reads.clear();
        Put(0x0007, {op});
        cpu.PC = 0x0007;
        Step();
        EXPECT_EQ(timer.reads[0x08], fetches) << std::hex << int(op);
        EXPECT_EQ(timer.reads[0x09], fetches) << std::hex << int(op);
    }
}

TEST_F(CpuTest, SelfModifiedCodeIsExecutedWhenFetched) {
    // STAA $2004 overwrites the following NOP with INCA.
    Put(0x2000, {0x86, 0x4C, 0xB7, 0x20, 0x05, 0x01});
    cpu.PC = 0x2000;
    Step();
    Step();
    EXPECT_EQ(Peek(0x2005), 0x4C);
    Step();
    EXPECT_EQ(cpu.A, 0x4D);
}

// ---- Addressing ------------------------------------------------------------------------------

TEST_F(CpuTest, OperandLengthsPerAddressingMode) {
    struct Case {
        std::initializer_list<uint8_t> code;
        uint16_t length;
    };
    const Case cases[] = {
        {{0x86, 0x01}, 2},       {{0x96, 0x80}, 2},       {{0xA6, 0x00}, 2},       {{0xB6, 0x30, 0x00}, 3},
        {{0xCC, 0x12, 0x34}, 3}, {{0xDC, 0x80}, 2},       {{0xEC, 0x00}, 2},       {{0xFC, 0x30, 0x00}, 3},
        {{0x93, 0x80}, 2},       {{0xA3, 0x00}, 2},       {{0xD3, 0x80}, 2},       {{0xE3, 0x00}, 2},
        {{0xB3, 0x30, 0x00}, 3}, {{0xF3, 0x30, 0x00}, 3}, {{0x6C, 0x00}, 2},       {{0x7C, 0x30, 0x00}, 3},
        {{0x8C, 0x12, 0x34}, 3}, {{0x9F, 0x80}, 2},       {{0xFF, 0x30, 0x00}, 3},
    };
    for (const Case& c : cases) {
        cpu.X = 0x3000;
        Run(0x2000, c.code);
        EXPECT_EQ(cpu.PC, 0x2000 + c.length) << "opcode " << std::hex << int(*c.code.begin());
    }
}

TEST_F(CpuTest, IndexedOffsetIsUnsignedAndWraps) {
    Put(0x007F, {0x99});
    cpu.X = 0xFF80;
    Run(0x2000, {0xA6, 0xFF}); // LDAA $FF,X
    EXPECT_EQ(cpu.A, 0x99);
    Put(0x20F0, {0x77});
    cpu.X = 0x2000;
    Run(0x2000, {0xE6, 0xF0}); // LDAB $F0,X: offset is +240, not -16
    EXPECT_EQ(cpu.B, 0x77);
}

TEST_F(CpuTest, DirectAndExtendedAddressTheSameCell) {
    Put(0x0090, {0x12, 0x34});
    Run(0x2000, {0xDE, 0x90}); // LDX $90
    EXPECT_EQ(cpu.X, 0x1234);
    cpu.X = 0;
    Run(0x2000, {0xFE, 0x00, 0x90}); // LDX $0090
    EXPECT_EQ(cpu.X, 0x1234);
}

// ---- Loads, stores, logic ------------------------------------------------------------------

TEST_F(CpuTest, LoadsSetNZClearVAndKeepC) {
    cpu.C = true;
    cpu.V = true;
    cpu.N = true;
    SetA(0x11);
    Run(0x2000, {0xC6, 0x00}); // LDAB #0
    EXPECT_FALSE(cpu.N);
    EXPECT_TRUE(cpu.Z);
    EXPECT_FALSE(cpu.V);
    EXPECT_TRUE(cpu.C);
    EXPECT_EQ(cpu.D, 0x1100);
    Run(0x2000, {0xCC, 0x80, 0x01}); // LDD #$8001
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_EQ(cpu.B, 0x01);
    EXPECT_TRUE(cpu.N);
    EXPECT_FALSE(cpu.Z);
    Run(0x2000, {0x8E, 0x00, 0x00}); // LDS #0
    EXPECT_EQ(cpu.SP, 0);
    EXPECT_TRUE(cpu.Z);
    EXPECT_FALSE(cpu.N);
}

TEST_F(CpuTest, StoresWriteBigEndianAndSetFlagsFromTheValue) {
    cpu.X = 0x8000;
    cpu.V = true;
    Run(0x2000, {0xFF, 0x30, 0x00}); // STX $3000
    EXPECT_EQ(Peek(0x3000), 0x80);
    EXPECT_EQ(Peek(0x3001), 0x00);
    EXPECT_TRUE(cpu.N);
    EXPECT_FALSE(cpu.V);
    cpu.D = 0;
    cpu.SplitD();
    Run(0x2000, {0xDD, 0x90}); // STD $90
    EXPECT_TRUE(cpu.Z);
    cpu.SP = 0x01FF;
    cpu.X = 0x3000;
    Run(0x2000, {0xAF, 0x10}); // STS $10,X
    EXPECT_EQ(Peek(0x3010), 0x01);
    EXPECT_EQ(Peek(0x3011), 0xFF);
    SetB(0xFE);
    Run(0x2000, {0xF7, 0x30, 0x20}); // STAB $3020
    EXPECT_EQ(Peek(0x3020), 0xFE);
    EXPECT_TRUE(cpu.N);
}

TEST_F(CpuTest, LogicOperationsAndBitLeavesTheAccumulator) {
    SetA(0xF0);
    cpu.V = true;
    cpu.C = true;
    Run(0x2000, {0x84, 0x3C}); // ANDA
    EXPECT_EQ(cpu.A, 0x30);
    EXPECT_FALSE(cpu.V);
    EXPECT_TRUE(cpu.C);
    Run(0x2000, {0x8A, 0x81}); // ORAA
    EXPECT_EQ(cpu.A, 0xB1);
    EXPECT_TRUE(cpu.N);
    Run(0x2000, {0x88, 0xB1}); // EORA
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_TRUE(cpu.Z);
    SetB(0x0F);
    Run(0x2000, {0xC5, 0xF0}); // BITB
    EXPECT_EQ(cpu.B, 0x0F);
    EXPECT_TRUE(cpu.Z);
    ExpectDConsistent();
}

TEST_F(CpuTest, TransfersBetweenAccumulators) {
    SetA(0x80);
    SetB(0x00);
    cpu.V = true;
    Run(0x2000, {0x16}); // TAB
    EXPECT_EQ(cpu.B, 0x80);
    EXPECT_TRUE(cpu.N);
    EXPECT_FALSE(cpu.V);
    EXPECT_EQ(cpu.D, 0x8080);
    SetB(0);
    Run(0x2000, {0x17}); // TBA
    EXPECT_EQ(cpu.A, 0);
    EXPECT_TRUE(cpu.Z);
    EXPECT_EQ(cpu.D, 0);
}

// ---- Arithmetic edge cases -----------------------------------------------------------------

TEST_F(CpuTest, AddSubtractAndCompareEdgeCases) {
    SetA(0x7F);
    Run(0x2000, {0x8B, 0x01}); // ADDA #1
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_TRUE(cpu.N);
    EXPECT_FALSE(cpu.Z);
    EXPECT_TRUE(cpu.V);
    EXPECT_FALSE(cpu.C);
    EXPECT_TRUE(cpu.H);

    SetA(0x80);
    Run(0x2000, {0x80, 0x01}); // SUBA #1
    EXPECT_EQ(cpu.A, 0x7F);
    EXPECT_TRUE(cpu.V);
    EXPECT_FALSE(cpu.C);
    EXPECT_FALSE(cpu.N);
    EXPECT_FALSE(cpu.Z);

    SetA(0x80);
    cpu.UnpackCCR(0);
    Run(0x2000, {0x81, 0x01}); // CMPA #1
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_TRUE(cpu.V);
    EXPECT_FALSE(cpu.C);
    EXPECT_FALSE(cpu.N);
    EXPECT_FALSE(cpu.Z);

    cpu.X = 0x7FFF;
    Run(0x2000, {0x8C, 0x80, 0x00}); // CPX #$8000
    EXPECT_TRUE(cpu.N);
    EXPECT_TRUE(cpu.V);
    EXPECT_TRUE(cpu.C);
    EXPECT_FALSE(cpu.Z);
    EXPECT_EQ(cpu.X, 0x7FFF);
}

TEST_F(CpuTest, IncrementAndDecrementOverflowAndKeepCarry) {
    struct Case {
        uint8_t op;
        uint8_t a;
        uint8_t result;
        bool v;
    };
    for (Case c :
         {Case{0x4C, 0x7F, 0x80, true}, Case{0x4C, 0x7E, 0x7F, false}, Case{0x4A, 0x80, 0x7F, true},
          Case{0x4A, 0x7F, 0x7E, false}, Case{0x4A, 0x00, 0xFF, false}, Case{0x4C, 0xFF, 0x00, false}}) {
        for (bool carry : {false, true}) {
            SetA(c.a);
            cpu.C = carry;
            Run(0x2000, {c.op});
            EXPECT_EQ(cpu.A, c.result);
            EXPECT_EQ(cpu.V, c.v) << std::hex << int(c.op) << " " << int(c.a);
            EXPECT_EQ(cpu.C, carry);
            EXPECT_EQ(cpu.Z, c.result == 0);
        }
    }
}

TEST_F(CpuTest, NegateAndComplement) {
    SetA(0x80);
    Run(0x2000, {0x40}); // NEGA
    EXPECT_EQ(cpu.A, 0x80);
    EXPECT_TRUE(cpu.V);
    EXPECT_TRUE(cpu.C);
    EXPECT_TRUE(cpu.N);
    SetA(0x00);
    Run(0x2000, {0x40});
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_FALSE(cpu.V);
    EXPECT_FALSE(cpu.C);
    EXPECT_TRUE(cpu.Z);
    SetB(0x01);
    Run(0x2000, {0x50}); // NEGB
    EXPECT_EQ(cpu.B, 0xFF);
    EXPECT_TRUE(cpu.C);
    EXPECT_FALSE(cpu.V);
    Put(0x3000, {0x55});
    cpu.V = true;
    Run(0x2000, {0x73, 0x30, 0x00}); // COM $3000
    EXPECT_EQ(Peek(0x3000), 0xAA);
    EXPECT_TRUE(cpu.C);
    EXPECT_FALSE(cpu.V);
    EXPECT_TRUE(cpu.N);
    ExpectDConsistent();
}

TEST_F(CpuTest, ShiftsAndRotatesSetVFromNAndC) {
    SetA(0x02);
    cpu.C = true;
    Run(0x2000, {0x46}); // RORA
    EXPECT_EQ(cpu.A, 0x81);
    EXPECT_FALSE(cpu.C);
    EXPECT_TRUE(cpu.N);
    EXPECT_TRUE(cpu.V);

    SetA(0x81);
    cpu.C = false;
    Run(0x2000, {0x44}); // LSRA
    EXPECT_EQ(cpu.A, 0x40);
    EXPECT_TRUE(cpu.C);
    EXPECT_FALSE(cpu.N);
    EXPECT_TRUE(cpu.V);

    SetA(0x81);
    Run(0x2000, {0x47}); // ASRA
    EXPECT_EQ(cpu.A, 0xC0);
    EXPECT_TRUE(cpu.C);
    EXPECT_TRUE(cpu.N);
    EXPECT_FALSE(cpu.V);

    SetB(0xC0);
    Run(0x2000, {0x58}); // ASLB
    EXPECT_EQ(cpu.B, 0x80);
    EXPECT_TRUE(cpu.C);
    EXPECT_TRUE(cpu.N);
    EXPECT_FALSE(cpu.V);

    SetB(0x40);
    cpu.C = true;
    Run(0x2000, {0x59}); // ROLB
    EXPECT_EQ(cpu.B, 0x81);
    EXPECT_FALSE(cpu.C);
    EXPECT_TRUE(cpu.N);
    EXPECT_TRUE(cpu.V);

    Put(0x3010, {0x01});
    cpu.X = 0x3000;
    Run(0x2000, {0x64, 0x10}); // LSR $10,X
    EXPECT_EQ(Peek(0x3010), 0x00);
    EXPECT_TRUE(cpu.Z);
    EXPECT_TRUE(cpu.C);
    EXPECT_TRUE(cpu.V);
    ExpectDConsistent();
}

TEST_F(CpuTest, TestAndClear) {
    Put(0x3000, {0x80});
    cpu.C = cpu.V = true;
    Run(0x2000, {0x7D, 0x30, 0x00}); // TST $3000
    EXPECT_TRUE(cpu.N);
    EXPECT_FALSE(cpu.C);
    EXPECT_FALSE(cpu.V);
    EXPECT_EQ(memory->Cells[0x3000].Line, 1) << "TST writes nothing back";
    cpu.C = cpu.V = cpu.N = true;
    Run(0x2000, {0x7F, 0x30, 0x00}); // CLR $3000
    EXPECT_EQ(Peek(0x3000), 0);
    EXPECT_EQ(memory->Cells[0x3000].Line, 0);
    EXPECT_FALSE(cpu.N);
    EXPECT_TRUE(cpu.Z);
    EXPECT_FALSE(cpu.V);
    EXPECT_FALSE(cpu.C);
    SetA(0x33);
    Run(0x2000, {0x4F}); // CLRA
    EXPECT_EQ(cpu.D, cpu.B);
}

TEST_F(CpuTest, DoubleAccumulatorShifts) {
    cpu.D = 0x8001;
    cpu.SplitD();
    Run(0x2000, {0x05}); // ASLD
    EXPECT_EQ(cpu.D, 0x0002);
    EXPECT_EQ(cpu.A, 0x00);
    EXPECT_EQ(cpu.B, 0x02);
    EXPECT_TRUE(cpu.C);
    EXPECT_FALSE(cpu.N);
    EXPECT_TRUE(cpu.V);
    EXPECT_FALSE(cpu.Z);
    cpu.D = 0x0001;
    cpu.SplitD();
    Run(0x2000, {0x04}); // LSRD
    EXPECT_EQ(cpu.D, 0);
    EXPECT_TRUE(cpu.C);
    EXPECT_TRUE(cpu.Z);
    EXPECT_TRUE(cpu.V);
    EXPECT_FALSE(cpu.N);
}

TEST_F(CpuTest, MultiplySetsCarryFromBit7OfB) {
    SetA(0x10);
    SetB(0x08);
    cpu.Z = true;
    Run(0x2000, {0x3D});
    EXPECT_EQ(cpu.D, 0x0080);
    EXPECT_EQ(cpu.A, 0);
    EXPECT_EQ(cpu.B, 0x80);
    EXPECT_TRUE(cpu.C);
    EXPECT_TRUE(cpu.Z) << "MUL changes no flag but C";
    SetA(0xFF);
    SetB(0xFF);
    Run(0x2000, {0x3D});
    EXPECT_EQ(cpu.D, 0xFE01);
    EXPECT_FALSE(cpu.C);
}

TEST_F(CpuTest, IndexAndFlagInstructions) {
    cpu.X = 0xFFFF;
    cpu.C = true;
    Run(0x2000, {0x08}); // INX
    EXPECT_EQ(cpu.X, 0);
    EXPECT_TRUE(cpu.Z);
    EXPECT_TRUE(cpu.C);
    Run(0x2000, {0x09}); // DEX
    EXPECT_EQ(cpu.X, 0xFFFF);
    EXPECT_FALSE(cpu.Z);
    SetB(0xFF);
    cpu.X = 0x0001;
    cpu.UnpackCCR(0);
    Run(0x2000, {0x3A}); // ABX
    EXPECT_EQ(cpu.X, 0x0100);
    EXPECT_EQ(cpu.PackCCR(), 0xC0);
    cpu.SP = 0x00FF;
    Run(0x2000, {0x30}); // TSX
    EXPECT_EQ(cpu.X, 0x0100);
    cpu.X = 0;
    Run(0x2000, {0x35}); // TXS
    EXPECT_EQ(cpu.SP, 0xFFFF);

    SetA(0x2A);          // H, Z, V only... plus the top bits ignored
    Run(0x2000, {0x06}); // TAP
    EXPECT_EQ(cpu.PackCCR(), 0xEA);
    SetA(0);
    Run(0x2000, {0x07}); // TPA
    EXPECT_EQ(cpu.A, 0xEA);
    ExpectDConsistent();
    for (auto [op, flagOn] : {std::pair<uint8_t, bool>{0x0B, true}, {0x0A, false}}) {
        Run(0x2000, {op});
        EXPECT_EQ(cpu.V, flagOn);
    }
    Run(0x2000, {0x0D});
    EXPECT_TRUE(cpu.C);
    Run(0x2000, {0x0C});
    EXPECT_FALSE(cpu.C);
    Run(0x2000, {0x0F});
    EXPECT_TRUE(cpu.I);
    Run(0x2000, {0x0E});
    EXPECT_FALSE(cpu.I);
}

// ---- Decimal adjust --------------------------------------------------------------------------

TEST_F(CpuTest, DecimalAdjustAfterAddition) {
    SetA(0x19);
    Run(0x2000, {0x8B, 0x28}); // ADDA #$28
    EXPECT_EQ(cpu.A, 0x41);
    EXPECT_TRUE(cpu.H);
    EXPECT_FALSE(cpu.C);
    Run(0x2000, {0x19});
    EXPECT_EQ(cpu.A, 0x47);
    EXPECT_FALSE(cpu.C);
    EXPECT_EQ(cpu.PC, 0x2001);
    ExpectDConsistent();
}

TEST_F(CpuTest, DecimalAdjustGivesBcdSumsForEveryPairOfBcdBytes) {
    for (int x = 0; x < 100; ++x)
        for (int y = 0; y < 100; ++y) {
            SetA(static_cast<uint8_t>((x / 10) << 4 | (x % 10)));
            Put(0x2000, {0x8B, static_cast<uint8_t>((y / 10) << 4 | (y % 10)), 0x19});
            cpu.PC = 0x2000;
            Step();
            Step();
            const int sum = x + y;
            const int bcd = ((sum / 10) % 10) << 4 | (sum % 10);
            ASSERT_EQ(cpu.A, bcd) << x << "+" << y;
            ASSERT_EQ(cpu.C, sum >= 100) << x << "+" << y;
            ASSERT_EQ(cpu.Z, bcd == 0);
        }
}

TEST_F(CpuTest, DecimalAdjustLeavesAAndCWhenNoRowMatches) {
    // C = 0, H = 1 and a low digit above 3 matches no row.
    SetA(0x25);
    cpu.UnpackCCR(0x20 | 0x02); // H, V
    Run(0x2000, {0x19});
    EXPECT_EQ(cpu.A, 0x25);
    EXPECT_FALSE(cpu.C);
    EXPECT_TRUE(cpu.V);
    // C = 1 with a high digit above 2 and H = 0 matches no row either.
    SetA(0x50);
    cpu.UnpackCCR(0x01 | 0x04); // C, Z
    Run(0x2000, {0x19});
    EXPECT_EQ(cpu.A, 0x50);
    EXPECT_TRUE(cpu.C);
    EXPECT_FALSE(cpu.Z);
    // Rows with carry in: $0A + carry gives $66 added.
    SetA(0x2A);
    cpu.UnpackCCR(0x01);
    Run(0x2000, {0x19});
    EXPECT_EQ(cpu.A, 0x90);
    EXPECT_TRUE(cpu.C);
    EXPECT_TRUE(cpu.N);
}

// ---- Branches, jumps, subroutines --------------------------------------------------------------

TEST_F(CpuTest, BranchConditions) {
    struct Case {
        uint8_t op;
        uint8_t ccr;
        bool taken;
    };
    // CCR bits: N=8 Z=4 V=2 C=1.
    const Case cases[] = {
        {0x20, 0x00, true},  {0x21, 0x0F, false}, {0x22, 0x00, true},  {0x22, 0x01, false},
        {0x22, 0x04, false}, {0x23, 0x01, true},  {0x23, 0x04, true},  {0x23, 0x00, false},
        {0x24, 0x00, true},  {0x24, 0x01, false}, {0x25, 0x01, true},  {0x26, 0x00, true},
        {0x26, 0x04, false}, {0x27, 0x04, true},  {0x28, 0x00, true},  {0x28, 0x02, false},
        {0x29, 0x02, true},  {0x2A, 0x00, true},  {0x2A, 0x08, false}, {0x2B, 0x08, true},
        {0x2C, 0x0A, true},  {0x2C, 0x08, false}, {0x2D, 0x02, true},  {0x2D, 0x0A, false},
        {0x2E, 0x0A, true},  {0x2E, 0x0E, false}, {0x2E, 0x02, false}, {0x2F, 0x04, true},
        {0x2F, 0x08, true},  {0x2F, 0x0A, false},
    };
    for (const Case& c : cases) {
        cpu.UnpackCCR(c.ccr);
        Run(0x2000, {c.op, 0x10});
        EXPECT_EQ(cpu.PC, c.taken ? 0x2012 : 0x2002) << std::hex << int(c.op) << " ccr " << int(c.ccr);
        EXPECT_EQ(cpu.PackCCR(), 0xC0 | c.ccr);
    }
}

TEST_F(CpuTest, BranchOffsetsAreSignedAndWrap) {
    Run(0x2000, {0x20, 0xFE}); // BRA *
    EXPECT_EQ(cpu.PC, 0x2000);
    Run(0x2000, {0x20, 0x80});
    EXPECT_EQ(cpu.PC, 0x1F82);
    Run(0xFFF0, {0x20, 0x7F});
    EXPECT_EQ(cpu.PC, 0x0071);
    Run(0x0000 + 0x20, {0x20, 0x80});
    EXPECT_EQ(cpu.PC, 0xFFA2);
}

TEST_F(CpuTest, JumpsTargetTheEffectiveAddress) {
    cpu.X = 0x2000;
    Run(0x1000, {0x6E, 0x10}); // JMP $10,X
    EXPECT_EQ(cpu.PC, 0x2010);
    Run(0x1000, {0x7E, 0xC0, 0x00}); // JMP $C000
    EXPECT_EQ(cpu.PC, 0xC000);
}

TEST_F(CpuTest, SubroutineCallsPushTheNextInstructionAndRtsReturns) {
    struct Case {
        std::initializer_list<uint8_t> code;
        uint16_t target;
        uint16_t ret;
    };
    const Case cases[] = {
        {{0xAD, 0x00}, 0x3000, 0x1002},       // JSR 0,X
        {{0x9D, 0x40}, 0x0040, 0x1002},       // JSR $40
        {{0xBD, 0x40, 0x00}, 0x4000, 0x1003}, // JSR $4000
        {{0x8D, 0x10}, 0x1012, 0x1002},       // BSR +16
        {{0x8D, 0xFC}, 0x0FFE, 0x1002},       // BSR -4
    };
    for (const Case& c : cases) {
        cpu.X = 0x3000;
        cpu.SP = 0x01FF;
        Run(0x1000, c.code);
        EXPECT_EQ(cpu.PC, c.target);
        EXPECT_EQ(cpu.SP, 0x01FD);
        EXPECT_EQ(Peek(0x01FE) << 8 | Peek(0x01FF), c.ret);
        Put(c.target, {0x39}); // RTS
        Step();
        EXPECT_EQ(cpu.PC, c.ret);
        EXPECT_EQ(cpu.SP, 0x01FF);
    }
}

TEST_F(CpuTest, StackPushesAndPullsAreSymmetric) {
    cpu.SP = 0x0200;
    SetA(0x11);
    SetB(0x22);
    cpu.X = 0x3344;
    cpu.UnpackCCR(0x3F);
    Put(0x2000, {0x36, 0x37, 0x3C, 0x4F, 0x5F, 0xCE, 0, 0, 0x38, 0x33, 0x32});
    cpu.PC = 0x2000;
    for (int i = 0; i < 3; ++i)
        Step();
    EXPECT_EQ(cpu.SP, 0x01FC);
    EXPECT_EQ(Peek(0x0200), 0x11);
    EXPECT_EQ(Peek(0x01FF), 0x22);
    EXPECT_EQ(Peek(0x01FE), 0x44);
    EXPECT_EQ(Peek(0x01FD), 0x33);
    for (int i = 0; i < 3; ++i)
        Step(); // CLRA CLRB LDX #0
    cpu.UnpackCCR(0x3F);
    for (int i = 0; i < 3; ++i)
        Step(); // PULX PULB PULA
    EXPECT_EQ(cpu.X, 0x3344);
    EXPECT_EQ(cpu.D, 0x1122);
    EXPECT_EQ(cpu.SP, 0x0200);
    EXPECT_EQ(cpu.PackCCR(), 0xFF) << "pushes and pulls leave the flags";
    Run(0x2000, {0x31});
    EXPECT_EQ(cpu.SP, 0x0201); // INS
    Run(0x2000, {0x34});
    EXPECT_EQ(cpu.SP, 0x0200); // DES
}

} // namespace
