// Interrupt requests, their order, the entry sequence, SWI and RTI.
#include "tests/engine/cpu_fixture.h"

namespace {

class InterruptTest : public CpuTest {
protected:
    void SetUp() override {
        PutWord(0xFFFC, 0x5000); // NMI
        PutWord(0xFFF8, 0x5100); // IRQ
        PutWord(0xFFF0, 0x5200); // SCI
        PutWord(0xFFF2, 0x5300); // TOF
        PutWord(0xFFF4, 0x5400); // OCF
        PutWord(0xFFF6, 0x5500); // ICF
        PutWord(0xFFFA, 0x5600); // SWI
        for (uint16_t handler = 0x5000; handler <= 0x5600; handler += 0x100)
            Put(handler, {0x3B});              // RTI
        Put(0x2000, {0x01, 0x01, 0x01, 0x01}); // NOPs
        cpu.PC = 0x2000;
        cpu.SP = 0x01FF;
        SetA(0xAA);
        SetB(0xBB);
        cpu.X = 0x1234;
    }
    uint16_t StackedWord(uint16_t at) { return static_cast<uint16_t>(Peek(at) << 8 | Peek(at + 1)); }
};

TEST_F(InterruptTest, EntryStacksTheFullStateAndMasks) {
    cpu.UnpackCCR(0x21); // H, C, I clear
    cpu.Pending.set(InterruptSource::IRQ);
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cpu.PC, 0x5100);
    EXPECT_TRUE(cpu.I);
    EXPECT_EQ(cpu.SP, 0x01F8);
    EXPECT_EQ(Peek(0x01F9), 0xE1) << "CCR as it was before entry";
    EXPECT_EQ(Peek(0x01FA), 0xBB);
    EXPECT_EQ(Peek(0x01FB), 0xAA);
    EXPECT_EQ(StackedWord(0x01FC), 0x1234);
    EXPECT_EQ(StackedWord(0x01FE), 0x2001);
    EXPECT_FALSE(cpu.Pending.test(InterruptSource::IRQ));
}

TEST_F(InterruptTest, RtiRestoresStateAndAlwaysClearsI) {
    cpu.UnpackCCR(0x00);
    cpu.Pending.set(InterruptSource::IRQ);
    Step();
    SetA(0);
    SetB(0);
    cpu.X = 0;
    memory->Cells[0x01F9].Value = 0xFF; // stacked CCR with every flag, I included
    EXPECT_EQ(Step(), 1);
    EXPECT_EQ(cpu.PC, 0x2001);
    EXPECT_EQ(cpu.D, 0xAABB);
    EXPECT_EQ(cpu.X, 0x1234);
    EXPECT_EQ(cpu.SP, 0x01FF);
    EXPECT_EQ(cpu.PackCCR(), 0xEF) << "all flags from the stack except I";
}

TEST_F(InterruptTest, MaskedRequestWaitsUntilCli) {
    Put(0x2001, {0x0E}); // CLI
    cpu.I = true;
    cpu.Pending.set(InterruptSource::IRQ);
    Step(); // NOP: masked
    EXPECT_EQ(cpu.PC, 0x2001);
    EXPECT_TRUE(cpu.Pending.test(InterruptSource::IRQ));
    Step(); // CLI: taken at the end of this step
    EXPECT_EQ(cpu.PC, 0x5100);
    EXPECT_EQ(StackedWord(0x01FE), 0x2002);
}

TEST_F(InterruptTest, NmiIsTakenAloneAndIgnoresTheMask) {
    cpu.I = true;
    cpu.Pending.set(InterruptSource::NMI);
    cpu.Pending.set(InterruptSource::IRQ);
    Step();
    EXPECT_EQ(cpu.PC, 0x5000);
    EXPECT_EQ(cpu.SP, 0x01F8);
    EXPECT_TRUE(cpu.Pending.test(InterruptSource::IRQ));

    // I = 0 as well: still only NMI in one check; the IRQ waits for the handler to clear I.
    cpu.PC = 0x2000;
    cpu.SP = 0x01FF;
    cpu.I = false;
    cpu.Pending.set(InterruptSource::NMI);
    Put(0x5000, {0x01, 0x0E, 0x01}); // NOP, CLI
    Step();
    EXPECT_EQ(cpu.PC, 0x5000);
    Step(); // NOP in the handler: I = 1 there
    EXPECT_EQ(cpu.PC, 0x5001);
    Step(); // CLI
    EXPECT_EQ(cpu.PC, 0x5100);
    EXPECT_EQ(StackedWord(cpu.SP + 6), 0x5002);
}

TEST_F(InterruptTest, IrqBeforeSciAndSciWaitsForTheNextCheck) {
    cpu.I = false;
    cpu.Pending.set(InterruptSource::SCI);
    cpu.Pending.set(InterruptSource::IRQ);
    Step();
    EXPECT_EQ(cpu.PC, 0x5100);
    EXPECT_TRUE(cpu.Pending.test(InterruptSource::SCI));
    Step(); // RTI back to $2001 with I = 0, then the SCI request is taken
    EXPECT_EQ(cpu.PC, 0x5200);
    EXPECT_EQ(StackedWord(0x01FE), 0x2001);
    EXPECT_TRUE(cpu.Pending.none());
}

TEST_F(InterruptTest, OneCheckEntersEveryUnmaskedTimerRequestInTurn) {
    cpu.UnpackCCR(0);
    cpu.Pending.set(InterruptSource::TOF);
    cpu.Pending.set(InterruptSource::OCF);
    Step();
    EXPECT_EQ(cpu.PC, 0x5400) << "OCF entered last, so it runs first";
    EXPECT_EQ(cpu.SP, 0x01FF - 14);
    // The OCF frame holds the TOF handler's first address and a CCR with I set.
    EXPECT_EQ(StackedWord(cpu.SP + 6), 0x5300);
    EXPECT_EQ(Peek(cpu.SP + 1) & 0x10, 0x10);
    Step(); // OCF's RTI resumes the TOF handler at its first instruction
    EXPECT_EQ(cpu.PC, 0x5300);
    EXPECT_FALSE(cpu.I);
    Step(); // TOF's RTI returns to the program
    EXPECT_EQ(cpu.PC, 0x2001);
    EXPECT_EQ(cpu.SP, 0x01FF);
    EXPECT_EQ(cpu.D, 0xAABB);
    EXPECT_EQ(cpu.X, 0x1234);
}

TEST_F(InterruptTest, AllMaskableSourcesInOneCheck) {
    cpu.I = false;
    for (InterruptSource s : {InterruptSource::IRQ, InterruptSource::SCI, InterruptSource::TOF,
                              InterruptSource::OCF, InterruptSource::ICF})
        cpu.Pending.set(s);
    Step();
    EXPECT_EQ(cpu.PC, 0x5500); // ICF last entered
    EXPECT_EQ(cpu.SP, 0x01FF - 4 * 7);
    EXPECT_TRUE(cpu.Pending.test(InterruptSource::SCI));
    EXPECT_EQ(cpu.Pending.count(), 1u);
}

TEST_F(InterruptTest, ZeroVectorsAreEnteredAndReported) {
    PutWord(0xFFFC, 0x0000);
    cpu.Pending.set(InterruptSource::NMI);
    EXPECT_EQ(Step(), RegisterLine) << "PC $0000 is the Port 1 direction register";
    EXPECT_EQ(status, SourceNumber(InterruptSource::NMI));
    EXPECT_EQ(cpu.PC, 0x0000);
    EXPECT_EQ(cpu.SP, 0x01F8);

    // Several zero vectors in one check: the last one taken is reported.
    PutWord(0xFFF2, 0x0000);
    PutWord(0xFFF6, 0x0000);
    cpu.PC = 0x2000;
    cpu.I = false;
    cpu.Pending.set(InterruptSource::TOF);
    cpu.Pending.set(InterruptSource::OCF);
    cpu.Pending.set(InterruptSource::ICF);
    Step();
    EXPECT_EQ(status, SourceNumber(InterruptSource::ICF));
    PutWord(0xFFF6, 0x5500);
    cpu.PC = 0x2000;
    cpu.I = false;
    cpu.Pending.set(InterruptSource::TOF);
    cpu.Pending.set(InterruptSource::OCF);
    Step();
    EXPECT_EQ(status, SourceNumber(InterruptSource::TOF)) << "OCF's vector is defined, TOF's is not";

    for (auto [source, vector] : {std::pair<InterruptSource, uint16_t>{InterruptSource::IRQ, 0xFFF8},
                                  {InterruptSource::SCI, 0xFFF0}}) {
        PutWord(vector, 0);
        cpu.PC = 0x2000;
        cpu.I = false;
        cpu.Pending.set(source);
        Step();
        EXPECT_EQ(status, SourceNumber(source));
        EXPECT_EQ(cpu.PC, 0);
    }
}

TEST_F(InterruptTest, StatusIsClearedOnAQuietStep) {
    PutWord(0xFFFC, 0x0000);
    cpu.Pending.set(InterruptSource::NMI);
    Step();
    EXPECT_EQ(status, SourceNumber(InterruptSource::NMI));
    cpu.PC = 0x2000;
    Step();
    EXPECT_EQ(status, 0);
}

TEST_F(InterruptTest, SoftwareInterrupt) {
    Put(0x2000, {0x3F});
    cpu.I = false;
    Step();
    EXPECT_EQ(cpu.PC, 0x5600);
    EXPECT_TRUE(cpu.I);
    EXPECT_EQ(StackedWord(0x01FE), 0x2001);
    Step(); // RTI
    EXPECT_EQ(cpu.PC, 0x2001);
    EXPECT_FALSE(cpu.I);

    // Masked: a one-byte no-op.
    cpu.PC = 0x2000;
    cpu.I = true;
    Step();
    EXPECT_EQ(cpu.PC, 0x2001);
    EXPECT_EQ(cpu.SP, 0x01FF);

    // A zero SWI vector is entered but not reported.
    PutWord(0xFFFA, 0);
    cpu.PC = 0x2000;
    cpu.I = false;
    Step();
    EXPECT_EQ(cpu.PC, 0);
    EXPECT_EQ(status, 0);
}

TEST_F(InterruptTest, WaiStaysPutAndItsInterruptReturnsToIt) {
    Put(0x2000, {0x3E});
    cpu.I = false;
    Step();
    EXPECT_EQ(cpu.PC, 0x2000);
    cpu.Pending.set(InterruptSource::IRQ);
    Step();
    EXPECT_EQ(cpu.PC, 0x5100);
    EXPECT_EQ(StackedWord(0x01FE), 0x2000);
    Step();
    EXPECT_EQ(cpu.PC, 0x2000);
}

TEST_F(InterruptTest, ResetDropsRequests) {
    PutWord(0xFFFE, 0x2000);
    cpu.Pending.set(InterruptSource::IRQ);
    cpu.Reset();
    cpu.I = false;
    Step();
    EXPECT_EQ(cpu.PC, 0x2001);
}

TEST_F(InterruptTest, UnusedMembersAreIgnored) {
    cpu.I = false;
    cpu.Pending.set(0);
    cpu.Pending.set(1);
    cpu.Pending.set(8);
    cpu.Pending.set(255);
    Step();
    EXPECT_EQ(cpu.PC, 0x2001);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(cpu.Pending.count(), 4u);
}

} // namespace
