// The labels of the last successful assembly, the watched variables and the address-space
// view's instruction rows, on a real board.
#include <gtest/gtest.h>

#include "assembler/compiler.h"
#include "engine/machine.h"
#include "session/addressview.h"
#include "session/session.h"
#include "session/symbols.h"
#include "session/watches.h"

namespace {

using Names = std::vector<std::string>;

// _SKRIT is a label no operand can name (a reference starts with a letter).
const std::vector<std::string> kProgram = {
    "       org $1000",  "stevec rmb 2",        "ena    equ 1",     "_skrit equ $2000", "       org $2000",
    "zaceti clr stevec", "zanka  inc stevec+1", "       bra zanka", "       org $fffe", "       fdb zaceti"};

class SymbolsTest : public ::testing::Test {
protected:
    SymbolsTest() : session(ORLEK_PROGRAM_DIR, false), watches(session, symbols), view(session) {
        view.SetSymbols(&symbols);
    }

    // As the workbench does after every assembly.
    bool Load(const std::vector<std::string>& lines = kProgram) {
        const bool ok = session.LoadProgram(lines).Ok;
        symbols.AssemblyFinished(ok, session.Compiler().Labels());
        return ok;
    }
    Names Sorted(const char* filter, TSymbolTable::SortKey key, bool descending) {
        Names names;
        for (size_t i : symbols.Rows(filter, key, descending))
            names.push_back(symbols.Entries()[i].Name);
        return names;
    }

    TSession session;
    TSymbolTable symbols;
    TWatchList watches;
    TAddressView view;
};

TEST_F(SymbolsTest, TableHoldsTheLastSuccessfulAssemblySortedAndFiltered) {
    EXPECT_TRUE(symbols.Empty());
    EXPECT_FALSE(Load({"bad    ldaa nikjer"})); // a failure before any success leaves it empty
    EXPECT_TRUE(symbols.Empty());
    ASSERT_TRUE(Load());
    ASSERT_EQ(symbols.Entries().size(), 5u);
    EXPECT_EQ(symbols.Entries()[0].Line, 2); // STEVEC
    session.Stop();
    EXPECT_FALSE(Load({"tu     nop", "       ldaa nikjer"}));
    EXPECT_EQ(symbols.Entries().size(), 5u); // still the last success
    EXPECT_EQ(symbols.Generation(), 1u);

    using K = TSymbolTable::SortKey;
    EXPECT_EQ(Sorted("", K::Name, false), (Names{"ENA", "STEVEC", "ZACETI", "ZANKA", "_SKRIT"}));
    EXPECT_EQ(Sorted("", K::Value, true), (Names{"ZANKA", "_SKRIT", "ZACETI", "STEVEC", "ENA"}));
    EXPECT_EQ(Sorted("an", K::Name, false), (Names{"ZANKA"}));
    EXPECT_EQ(Sorted("$20", K::Line, false), (Names{"_SKRIT", "ZACETI", "ZANKA"}));
    EXPECT_EQ(Sorted("$1", K::Line, false), (Names{"STEVEC"}));

    // Names for the disassembly: only those an operand can hold; the low byte of a word by +1.
    EXPECT_EQ(symbols.NameOf(0x2000), "ZACETI");
    EXPECT_EQ(symbols.ReferenceTo(0x1001), "STEVEC+1");
    EXPECT_EQ(symbols.ReferenceTo(0x3000), "");
}

TEST(WatchValueTest, ShowsEveryForm) {
    const struct {
        uint16_t value;
        WatchSize size;
        TWatchText text;
    } cases[] = {
        {0x42, WatchSize::Byte, {"$42", "66", "66", "42", "B"}},
        {0xFF, WatchSize::Byte, {"$FF", "255", "-1", "ni BCD", "˙"}}, // Windows-1250
        {0x8A, WatchSize::Byte, {"$8A", "138", "-118", "ni BCD", "Š"}},
        {0x0D, WatchSize::Byte, {"$0D", "13", "13", "ni BCD", "<0D>"}},
        {0x0999, WatchSize::Word, {"$0999", "2457", "2457", "0999", "<09>™"}},
        {0x804A, WatchSize::Word, {"$804A", "32842", "-32694", "ni BCD", "€J"}},
    };
    for (const auto& c : cases) {
        const TWatchText t = FormatWatchValue(c.value, c.size);
        EXPECT_EQ((Names{t.Hex, t.Unsigned, t.Signed, t.Bcd, t.Char}),
                  (Names{c.text.Hex, c.text.Unsigned, c.text.Signed, c.text.Bcd, c.text.Char}));
    }
}

TEST_F(SymbolsTest, WatchesAreCheckedWhenAdded) {
    // Before any assembly a label cannot be checked, so it is taken.
    EXPECT_EQ(watches.Add(" stevec ", WatchSize::Word), "");
    EXPECT_FALSE(watches.Row(0).Resolved);
    ASSERT_TRUE(Load());
    EXPECT_TRUE(watches.Row(0).Resolved);
    const std::pair<const char*, const char*> refused[] = {
        {"", "Vpišite oznako ali naslov"},
        {"a b", "ena sama beseda"},
        {"nikjer", "Oznake NIKJER ni v zadnjem prevodu."},
        {"$1G", "\"$1G\" ni naslov"},
        {"70000", "Naslov 70000 je zunaj naslovnega prostora"},
        {"STEVEC", "STEVEC (beseda) je že med spremenljivkami."},
        {"STEVEC_Z_IMENOM_DALJSIM_OD_STIRIDESETIH_ZNAKOV", "predolg"},
    };
    for (const auto& [text, message] : refused)
        EXPECT_NE(watches.Add(text, WatchSize::Word).find(message), std::string::npos) << text;
    for (const char* text : {"stevec+1", "$2000", "%1", "8192"})
        EXPECT_EQ(watches.Add(text, WatchSize::Byte), "") << text;
    EXPECT_EQ(watches.Count(), 5u);
    EXPECT_EQ(watches.Watches()[1].Target, "STEVEC+1");

    // Kept as lines; lines that make no watch are skipped on the way back.
    std::vector<std::string> lines = watches.Save();
    EXPECT_EQ(lines[0], "STEVEC w");
    std::vector<std::string> damaged = lines;
    damaged.insert(damaged.begin(), {"", "STEVEC", "STEVEC q", "STEVEC w", "a b w"});
    TWatchList restored(session, symbols);
    restored.Restore(damaged);
    EXPECT_EQ(restored.Save(), lines);
}

TEST_F(SymbolsTest, WatchesReadTheMachineWithoutSideEffects) {
    ASSERT_TRUE(Load());
    watches.Add("stevec", WatchSize::Word);
    watches.Add("stevec+1", WatchSize::Byte);
    watches.Add("$FFFE", WatchSize::Word);
    watches.Add("$08", WatchSize::Byte);
    for (int i = 0; i < 5; ++i) // clr, inc, bra, inc, bra
        session.StepOnce();
    EXPECT_EQ(watches.Row(0).Text.Hex, "$0002");
    EXPECT_EQ(watches.Row(0).Address, 0x1000);
    EXPECT_EQ(watches.Row(1).Text.Bcd, "02");
    EXPECT_EQ(watches.Row(2).Value, 0x2000);
    // The timer status shows its overflow flag and keeps it (a program's read would clear it).
    session.Machine().Timer.St.TCSR |= TTimer::TCSR_TOF;
    EXPECT_EQ(watches.Row(3).Value & TTimer::TCSR_TOF, TTimer::TCSR_TOF);
    EXPECT_EQ(watches.Row(3).Value & TTimer::TCSR_TOF, TTimer::TCSR_TOF);
}

TEST_F(SymbolsTest, InstructionRowsNameLabelsAndMarkTheProgramCounter) {
    ASSERT_TRUE(Load());
    view.SetMemoryTop(0x2000);
    auto texts = [this](int fitting) {
        Names rows;
        for (const TDisRow& row : view.DisassemblyRows(fitting))
            rows.push_back(row.Text);
        return rows;
    };
    EXPECT_EQ(texts(4),
              (Names{">2000  7F 10 00  ZACETI  CLR  STEVEC", " 2003  7C 10 01  ZANKA   INC  STEVEC+1",
                     " 2006  20 FB             BRA  ZANKA", " 2008  00                FCB  $00"}));
    session.StepOnce();
    EXPECT_TRUE(view.DisassemblyRows(2)[1].Pc);
    // The vectors are words, and the list ends at $FFFF.
    view.SetMemoryTop(0xFFFC);
    EXPECT_EQ(texts(5),
              (Names{" FFFC  00 00             FDB  $0000", " FFFE  20 00             FDB  ZACETI"}));
}

} // namespace
