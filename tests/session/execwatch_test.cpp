// The execution watch: the call stack over nested and interrupted programs, the warnings for a
// stack moved by hand, interrupt latency and counts, the profile's sums, reverse step.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "assembler/compiler.h"
#include "session/interrupts.h"
#include "session/scenario.h"
#include "session/session.h"
#include "tests/session/sourcelines.h"

namespace {

class ExecWatchTest : public ::testing::Test {
protected:
    ExecWatchTest() : session(ORLEK_PROGRAM_DIR, false) {
        session.Machine().Random.Seed(3);
        session.SetExecutionWatch(true);
    }
    void Load(const std::string& text) {
        ASSERT_TRUE(session.LoadProgram(Source(text + "       org $fffe\n       fdb start\n       end\n")).Ok)
            << text;
    }
    // Steps until PC reaches `address` (at most 1000 steps).
    void RunTo(uint16_t address) {
        for (int i = 0; i < 1000 && session.Cpu().PC != address; ++i)
            session.Step();
        ASSERT_EQ(session.Cpu().PC, address);
    }
    const TExecutionWatch& Watch() const { return *session.Watch(); }
    TSession session;
};

// main calls OUTER twice, OUTER calls INNER: INNER at $1020, OUTER at $1010.
const char* const kNested = "       org $1000\n"
                            "start  lds #$00ff\n"
                            "       jsr outer\n"
                            "       jsr outer\n"
                            "done   bra done\n"
                            "       org $1010\n"
                            "outer  nop\n"
                            "       bsr inner\n"
                            "       rts\n"
                            "       org $1020\n"
                            "inner  ldaa #1\n"
                            "       rts\n";

} // namespace

TEST_F(ExecWatchTest, FollowsNestedCallsWithTheirReturnAddresses) {
    Load(kNested);
    RunTo(0x1020);
    const std::vector<TCallFrame>& stack = Watch().Stack();
    ASSERT_EQ(stack.size(), 2u);
    EXPECT_EQ(stack[0].Target, 0x1010);
    EXPECT_EQ(stack[0].Return, 0x1006); // after the first JSR (3 bytes at $1003)
    EXPECT_EQ(stack[1].Target, 0x1020);
    EXPECT_EQ(stack[1].Return, 0x1013); // after BSR at $1011
    RunTo(0x1009);
    EXPECT_TRUE(Watch().Stack().empty());
    EXPECT_TRUE(Watch().Warnings().empty());
}

TEST_F(ExecWatchTest, ProfileSumsToTheCycleCounter) {
    Load(kNested);
    RunTo(0x1009);
    session.Run(5); // the main loop
    EXPECT_EQ(Watch().TotalCycles(), session.Cycles());
    const std::vector<TSubroutineProfile> rows =
        Watch().Subroutines(&session.Compiler().Labels(), session.Cycles());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].Main);
    EXPECT_EQ(rows[0].Inclusive, session.Cycles());
    const TSubroutineProfile &outer = rows[1], &inner = rows[2];
    EXPECT_EQ(outer.Label, "OUTER");
    EXPECT_EQ(outer.Calls, 2u);
    EXPECT_EQ(inner.Calls, 2u);
    // Inclusive = exclusive + what the callee took; every cycle is some routine's exclusive.
    EXPECT_EQ(outer.Inclusive, outer.Exclusive + inner.Inclusive);
    EXPECT_EQ(inner.Inclusive, inner.Exclusive);
    EXPECT_EQ(rows[0].Exclusive + outer.Exclusive + inner.Exclusive, session.Cycles());
    // Line 7 (OUTER's NOP) ran twice at 2 cycles.
    EXPECT_EQ(Watch().LineCount(7), 2u);
    EXPECT_EQ(Watch().LineCycles(7), 4u);
}

TEST_F(ExecWatchTest, InterruptEntryHasItsLatencyAndNests) {
    Load("       org $1000\n"
         "start  lds #$00ff\n"
         "       cli\n"
         "loop   jsr sub\n"
         "       bra loop\n"
         "sub    nop\n"
         "       rts\n"
         "irq    nop\n"
         "       rti\n"
         "       org $fff8\n"
         "       fdb irq\n");
    RunTo(0x1009); // in SUB
    session.RequestIrq();
    session.Step(); // the NOP, then the entry
    ASSERT_EQ(session.Cpu().PC, 0x100B);
    const std::vector<TCallFrame>& stack = Watch().Stack();
    ASSERT_EQ(stack.size(), 2u);
    EXPECT_TRUE(stack[1].Interrupt);
    EXPECT_EQ(stack[1].Source, TWatchSource::Irq);
    EXPECT_EQ(stack[1].Return, 0x100A);
    EXPECT_EQ(Watch().Counts(TWatchSource::Irq).Entries, 1u);
    EXPECT_EQ(Watch().Counts(TWatchSource::Irq).Latency, 1u); // requested before the step, in at its end
    RunTo(0x100A);
    EXPECT_EQ(Watch().Stack().size(), 1u);
    ASSERT_EQ(Watch().Timeline().size(), 2u);
    EXPECT_FALSE(Watch().Timeline()[1].Entry);
    EXPECT_TRUE(Watch().Warnings().empty());
}

TEST_F(ExecWatchTest, WarnsAboutAStackMovedOrAReturnAddressChanged) {
    const std::pair<const char*, const char*> cases[] = {
        {"sub    ins\n       ins\n       rts\n", "premaknjen ročno"},
        {"sub    tsx\n       ldd #start\n       std 0,x\n       rts\n", "spremenjen"},
    };
    for (const auto& [body, warning] : cases) {
        session.Stop();
        Load(std::string("       org $1000\nstart  lds #$00ff\n       jsr sub\ndone   bra done\n") + body);
        session.Run(10);
        ASSERT_FALSE(Watch().Warnings().empty()) << body;
        EXPECT_NE(Watch().Warnings().back().find(warning), std::string::npos) << Watch().Warnings().back();
    }
}

TEST_F(ExecWatchTest, ReverseStepTakesBackStackAndProfile) {
    Load(kNested);
    session.Run(4); // inside INNER: LDS, JSR, NOP, BSR
    const std::vector<TCallFrame> stack = Watch().Stack();
    const uint64_t total = Watch().TotalCycles();
    session.Run(6);
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(session.StepBack());
    EXPECT_EQ(Watch().Stack().size(), stack.size());
    EXPECT_EQ(Watch().Stack().back().Target, stack.back().Target);
    EXPECT_EQ(Watch().TotalCycles(), total);
    EXPECT_EQ(Watch().TotalCycles(), session.Cycles());
}

TEST_F(ExecWatchTest, AFailedStepLeavesNothingToTakeBack) {
    // SUB's store to Port 2 fails (its observer raises): reverse step over the failed step
    // finds the processor back in SUB, and the watch still in SUB's frame.
    session.SetHistoryEnabled(true);
    Load("       org $1000\n"
         "start  lds #$00ff\n"
         "       ldaa #$ff\n"
         "       staa $01\n" // Port 2 all outputs
         "       jsr sub\n"
         "done   bra done\n"
         "       org $1010\n"
         "sub    ldaa #1\n"
         "       staa $03\n"
         "       rts\n");
    RunTo(0x1012);
    const uint64_t total = Watch().TotalCycles();
    const auto observer = session.Machine().Port2.onChanged;
    session.Machine().Port2.onChanged = [] { throw std::runtime_error("port"); };
    ASSERT_TRUE(session.Step().Failed);
    session.Machine().Port2.onChanged = observer;
    ASSERT_TRUE(session.StepBack());
    ASSERT_EQ(session.Cpu().PC, 0x1012);
    ASSERT_EQ(Watch().Stack().size(), 1u);
    EXPECT_EQ(Watch().Stack().back().Target, 0x1010);
    EXPECT_EQ(Watch().TotalCycles(), total);
    EXPECT_EQ(Watch().TotalCycles(), session.Cycles());
}

TEST_F(ExecWatchTest, InterruptRowsTellWhyAPendingRequestWaits) {
    Load("       org $1000\n"
         "start  sei\n"
         "       ldaa #$04\n"
         "       staa $08\n" // ETOI
         "loop   bra loop\n");
    session.Run(3);
    session.RequestIrq();
    struct Case {
        TWatchSource source;
        bool pending, masked;
        const char* why; // a part of the tooltip, "" for none
    };
    const Case cases[] = {
        {TWatchSource::Nmi, false, false, ""},
        {TWatchSource::Irq, true, true, "Zastavica I"},
        {TWatchSource::Tof, false, true, ""},
        {TWatchSource::Swi, false, false, ""},
    };
    const std::vector<TInterruptRow> rows = InterruptRows(session.Machine(), session.Watch());
    ASSERT_EQ(rows.size(), size_t{kWatchSources});
    EXPECT_EQ(rows[3].Enabled, true); // ETOI
    for (const Case& c : cases) {
        const TInterruptRow& row = rows[static_cast<int>(c.source)];
        EXPECT_EQ(row.Pending, c.pending) << row.Name;
        EXPECT_EQ(row.Masked, c.masked) << row.Name;
        EXPECT_NE(row.Why.find(c.why), std::string::npos) << row.Name << ": " << row.Why;
        EXPECT_EQ(row.Why.empty(), *c.why == 0) << row.Name << ": " << row.Why;
    }
    EXPECT_NE(rows[1].Why.find("ni definiran"), std::string::npos); // no IRQ vector in this program
}

TEST_F(ExecWatchTest, CompareInterruptOfTheShippedExampleIsTakenOneStepLate) {
    ASSERT_TRUE(session.LoadProgram(TestProgram("../../examples/primerjalnik.asm")).Ok);
    TScenario scenario(session);
    scenario.StepLimit = 600;
    scenario.Run();
    EXPECT_EQ(Watch().Counts(TWatchSource::Ocf).Entries, 2u);
    EXPECT_EQ(Watch().Counts(TWatchSource::Ocf).Latency, 1u);
    EXPECT_EQ(Watch().Timeline().size(), 4u); // two entries, two returns
}
