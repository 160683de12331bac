// Breakpoint set, message texts and log records: the parts of run control that need no machine.
#include <gtest/gtest.h>

#include <array>

#include "session/breakpoint.h"
#include "session/log.h"
#include "session/messages.h"

using Lines = std::vector<int>;

TEST(BreakpointTest, AddPutsNewestFirstAndRemoveTakesEveryEntry) {
    TBreakpoint b;
    b.Add(3);
    b.Add(7);
    b.Add(3); // already contained: stored once
    EXPECT_EQ(b.Lines(), (Lines{7, 3}));
    EXPECT_TRUE(b.Contains(3));
    EXPECT_FALSE(b.Contains(4));
    b.Remove(3);
    EXPECT_FALSE(b.Contains(3));
    EXPECT_EQ(b.Lines(), (Lines{7}));
    b.Remove(99); // absent: nothing happens
    EXPECT_EQ(b.Count(), 1u);
    b.Clear();
    EXPECT_TRUE(b.Empty());
}

TEST(BreakpointTest, ShiftFollowsInsertedAndDeletedLines) {
    TBreakpoint b;
    b.Add(2);
    b.Add(5);
    b.Add(9);
    b.Shift(5, true); // a line inserted above line 5
    EXPECT_EQ(b.Lines(), (Lines{10, 6, 2}));
    b.Shift(3, false); // a line deleted: everything from 3 moves up
    EXPECT_EQ(b.Lines(), (Lines{9, 5, 2}));
}

TEST(BreakpointTest, ShiftDropsLinesAboveTheFirstAndMergesCollisions) {
    TBreakpoint b;
    b.Add(1);
    b.Add(4);
    b.Add(5);
    b.Shift(1, false);
    // 1 would become line 0 (which tags bytes the program wrote): dropped. 4 and 5 -> 3 and 4.
    EXPECT_EQ(b.Lines(), (Lines{4, 3}));
    b.Shift(4, false); // 4 -> 3 meets the existing 3: one entry remains
    EXPECT_EQ(b.Lines(), (Lines{3}));
    b.Remove(3);
    EXPECT_TRUE(b.Empty());
}

TEST(MessagesTest, FailedAssemblyListsStatusWithShownLineThenCannotStart) {
    // Unknown instruction on line 3: the result carries line 3 + 1.
    TCompileOutcome o = SplitCompileResult(4 * 256 + 3);
    EXPECT_FALSE(o.Ok());
    EXPECT_EQ(o.ErrorLine(), 3);
    EXPECT_EQ(CompileMessages(o), (std::vector<std::string>{"Napaka: neznan ukaz (napaka v vrstici 3)",
                                                            "Simulatorja ne morem zagnati!"}));
    EXPECT_EQ(CompileStatusMessage(SplitCompileResult(2 * 256 + 6)),
              "Prekinitvena točka v napacni vrstici (napaka v vrstici 1)");
    EXPECT_EQ(CompileStatusMessage(SplitCompileResult(11 * 256 + 7)),
              "Predolg skok za relativno naslavljanje (napaka v vrstici 10)");
    EXPECT_EQ(CompileStatusMessage(SplitCompileResult(5 * 256 + 4)),
              "Napaka v določilu operanda (napaka v vrstici 4)");
    EXPECT_EQ(CompileStatusMessage(SplitCompileResult(5 * 256 + 5)),
              "Napaka v oznaki - oznaka ni definirana (napaka v vrstici 4)");
    EXPECT_EQ(CompileStatusMessage(SplitCompileResult(5 * 256 + 255)), "Neznana napaka (napaka v vrstici 4)");
}

TEST(MessagesTest, ResultsWithoutLineNameNoLineAndUnknownStatusesOnlyCannotStart) {
    TCompileOutcome noVector = SplitCompileResult(2);
    EXPECT_EQ(noVector.ErrorLine(), 0);
    EXPECT_EQ(CompileMessages(noVector),
              (std::vector<std::string>{"Napaka: ni oznake START", "Simulatorja ne morem zagnati!"}));
    EXPECT_EQ(CompileMessages(SplitCompileResult(3 * 256 + 9)),
              (std::vector<std::string>{"Simulatorja ne morem zagnati!"}));
    EXPECT_TRUE(CompileMessages(SplitCompileResult(1)).empty());
}

TEST(MessagesTest, LineFieldIsNotCutTo16Bits) {
    // A failure on line 70000 of a long source.
    TCompileOutcome o = SplitCompileResult(70001 * 256 + 3);
    EXPECT_EQ(o.ErrorLine(), 70000);
    EXPECT_EQ(CompileStatusMessage(o), "Napaka: neznan ukaz (napaka v vrstici 70000)");
}

TEST(MessagesTest, VectorMessagesForSourcesTwoToSeven) {
    EXPECT_STREQ(VectorMessage(2), "NMI vektor ni definiran!");
    EXPECT_STREQ(VectorMessage(3), "IRQ vektor ni definiran!");
    EXPECT_STREQ(VectorMessage(4), "SCI vektor ni definiran!");
    EXPECT_STREQ(VectorMessage(5), "TOF vektor ni definiran!");
    EXPECT_STREQ(VectorMessage(6), "OCF vektor ni definiran!");
    EXPECT_STREQ(VectorMessage(7), "ICF vektor ni definiran!");
    EXPECT_STREQ(VectorMessage(0), "");
    EXPECT_STREQ(VectorMessage(1), "");
    EXPECT_STREQ(VectorMessage(8), "");
}

TEST(LogTest, RecordFormatsAllColumnsTabSeparated) {
    std::array<std::string, 256> names;
    names[0x86] = "LDAA #";
    TLog log;
    log.SetOpcodeNames(&names);
    log.AppendHeader();
    TLogRecord r;
    r.PC = 0x2000;
    r.Line = 11;
    r.Opcode = 0x86;
    r.A = 0x0A;
    r.B = 0xFF;
    r.D = 0x0AFF;
    r.X = 0x1234;
    r.SP = 0x00FF;
    r.CCR = 0xD4; // 11 H=0 I=1 N=0 Z=1 V=0 C=0
    r.Elapsed = 400;
    r.Pending = (1 << 2) | (1 << 3); // NMI, IRQ
    log.Append(r);
    ASSERT_EQ(log.Size(), 2u);
    EXPECT_EQ(log.Format(0), "PC\tVRSTA\tOPK\tIUKAZ\tA\tB\tD\tX\tSP\t  HINZVC\tCAS\tIRQ");
    EXPECT_EQ(log.Format(1), "2000\t11\t86\tLDAA #\t0A\tFF\t0AFF\t1234\t00FF\t11010100\t400\t23");
}

TEST(LogTest, NegativeLineUnknownOpcodeAndNoPendingRequests) {
    TLog log; // no name table: the instruction column stays empty
    TLogRecord r;
    r.PC = 0xFFFF;
    r.Line = -2;
    r.Opcode = 0x00;
    r.CCR = 0xC0;
    log.Append(r);
    EXPECT_EQ(log.Format(0), "FFFF\t-2\t00\t\t00\t00\t0000\t0000\t0000\t11000000\t0\t");
}

TEST(LogTest, DisabledLogKeepsNothingAndAppendReportsTheFirstNewIndex) {
    TLog log;
    std::vector<size_t> appended;
    log.onAppended = [&](size_t first) { appended.push_back(first); };
    log.AppendHeader();
    log.Append(TLogRecord{});
    EXPECT_EQ(appended, (std::vector<size_t>{0, 1}));
    log.Clear();
    log.Enabled = false;
    log.AppendHeader();
    log.Append(TLogRecord{});
    EXPECT_EQ(log.Size(), 0u);
}

// The lines a cell can carry are looked up in the bitmap, others in the list; both follow every
// change of the set.
TEST(BreakpointTest, ContainsAgreesWithTheEntriesAtTheEdgesOfTheBitmap) {
    TBreakpoint b;
    const int lines[] = {1, 63, 64, 32767, 32768, 70000};
    for (int line : lines)
        b.Add(line);
    b.Remove(64);
    b.Shift(32767, true); // 32767 -> 32768, 32768 -> 32769, 70000 -> 70001
    for (int line : {1, 63, 32768, 32769, 70001})
        EXPECT_TRUE(b.Contains(line)) << line;
    for (int line : {0, -1, 2, 64, 32767, 70000})
        EXPECT_FALSE(b.Contains(line)) << line;
    b.Clear();
    EXPECT_FALSE(b.Contains(1));
}

// With a limit the log keeps the newest lines in order and counts the others; lifting the limit
// keeps them in order too. Taking back removes the newest step records, never past a header.
TEST(LogTest, LimitKeepsTheNewestLinesAndTakeBackStopsAtAHeader) {
    TLog log;
    auto record = [](uint16_t pc) {
        TLogRecord r;
        r.PC = pc;
        return r;
    };
    log.AppendHeader();
    for (uint16_t pc = 1; pc <= 10; ++pc)
        log.Append(record(pc));
    log.SetLimit(4);
    EXPECT_EQ(log.Size(), 4u);
    EXPECT_EQ(log.Dropped(), 7u);
    for (uint16_t pc = 11; pc <= 13; ++pc)
        log.Append(record(pc));
    EXPECT_EQ(log.Dropped(), 10u);
    std::vector<uint16_t> kept;
    for (size_t i = 0; i < log.Size(); ++i)
        kept.push_back(log.Record(i).PC);
    EXPECT_EQ(kept, (std::vector<uint16_t>{10, 11, 12, 13}));
    log.SetLimit(0);
    log.Append(record(14));
    EXPECT_EQ(log.Records().front().PC, 10);
    EXPECT_EQ(log.Records().back().PC, 14);

    const uint64_t before = log.Appended();
    log.AppendHeader();
    log.Append(record(15));
    log.Append(record(16));
    log.TakeBack(before); // two records go, the header stops it
    EXPECT_EQ(log.Size(), 6u);
    EXPECT_TRUE(log.Records().back().Header);
    EXPECT_EQ(log.Appended(), before);
    log.Clear();
    EXPECT_EQ(log.Dropped(), 0u);
}
