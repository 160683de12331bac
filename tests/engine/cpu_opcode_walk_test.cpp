// Walks the instruction-set table: the processor executes every listed opcode (WAI excepted)
// with the listed length or to the right target, and leaves the machine untouched on every
// other byte.
#include <cstring>
#include <set>
#include <string>

#include "isa/isa.h"
#include "tests/engine/cpu_fixture.h"

namespace {

constexpr uint16_t kAt = 0x2000;

class OpcodeWalkTest : public CpuTest {
protected:
    void Prepare(const IsaEntry& e) {
        memory->Clear();
        // Operand bytes $40 $00: direct $0040, extended $4000, indexed $3040, branch +$40.
        Put(kAt, {e.Opcode, 0x40, 0x00});
        PutWord(0xFFFA, 0x6000); // SWI vector
        // A frame for RTS / RTI: CCR, B, A, X, PC = $7123 (RTS pulls the first two bytes).
        Put(0x0201, {0x71, 0x23, 0x11, 0x22, 0x33, 0x71, 0x23});
        cpu.PC = kAt;
        cpu.X = 0x3000;
        cpu.SP = 0x0200;
        SetA(0x12);
        SetB(0x34);
        cpu.UnpackCCR(0);
    }
    static bool Is(const IsaEntry& e, const char* mnemonic) { return std::strcmp(e.Mnemonic, mnemonic) == 0; }
    uint16_t StackedReturn() { return static_cast<uint16_t>(Peek(cpu.SP + 1) << 8 | Peek(cpu.SP + 2)); }
};

TEST_F(OpcodeWalkTest, ModeAndSourceCodesHaveTheirDocumentedNumbers) {
    // The table files, the log and the step status carry these numbers.
    using M = AddressingMode;
    const std::pair<M, int> modes[] = {{M::Inherent, 0}, {M::Immediate, 1}, {M::Direct, 2}, {M::Extended, 3},
                                       {M::Indexed, 4},  {M::Relative, 5},  {M::None, 255}};
    for (auto [mode, number] : modes)
        EXPECT_EQ(static_cast<int>(mode), number);
    using S = InterruptSource;
    const std::pair<S, int> sources[] = {{S::NMI, 2}, {S::IRQ, 3}, {S::SCI, 4},
                                         {S::TOF, 5}, {S::OCF, 6}, {S::ICF, 7}};
    for (auto [source, number] : sources)
        EXPECT_EQ(SourceNumber(source), number);
}

TEST_F(OpcodeWalkTest, EveryListedOpcodeExecutesWithItsLengthOrTarget) {
    for (const IsaEntry& e : IsaTable()) {
        if (Is(e, "WAI")) continue;
        SCOPED_TRACE(std::string(e.Mnemonic) + " opcode " + std::to_string(e.Opcode));
        Prepare(e);
        const uint16_t ownAddress = e.Mode == AddressingMode::Direct    ? 0x0040
                                    : e.Mode == AddressingMode::Indexed ? 0x3040
                                                                        : 0x4000;
        if (Is(e, "JMP")) {
            Step();
            EXPECT_EQ(cpu.PC, ownAddress);
        } else if (Is(e, "JSR") || Is(e, "BSR")) {
            Step();
            EXPECT_EQ(cpu.PC, Is(e, "BSR") ? kAt + 2 + 0x40 : ownAddress);
            EXPECT_EQ(cpu.SP, 0x01FE);
            EXPECT_EQ(StackedReturn(), kAt + e.Size);
        } else if (Is(e, "RTS")) {
            Step();
            EXPECT_EQ(cpu.PC, 0x7123);
            EXPECT_EQ(cpu.SP, 0x0202);
        } else if (Is(e, "RTI")) {
            Step();
            EXPECT_EQ(cpu.PC, 0x7123);
            EXPECT_EQ(cpu.X, 0x2233);
            EXPECT_EQ(cpu.SP, 0x0207);
        } else if (Is(e, "SWI")) {
            Step();
            EXPECT_EQ(cpu.PC, 0x6000);
            EXPECT_EQ(cpu.SP, 0x0200 - 7);
            EXPECT_EQ(Peek(0x01FF) << 8 | Peek(0x0200), kAt + 1);
        } else if (e.Mode == AddressingMode::Relative) {
            // Over every N Z V C combination the branch lands either after itself or at its
            // target; only BRA never falls through.
            bool fellThrough = false, took = false;
            for (uint8_t ccr = 0; ccr < 16; ++ccr) {
                Prepare(e);
                cpu.UnpackCCR(ccr);
                Step();
                EXPECT_TRUE(cpu.PC == kAt + 2 || cpu.PC == kAt + 2 + 0x40) << "ccr " << int(ccr);
                fellThrough |= cpu.PC == kAt + 2;
                took |= cpu.PC == kAt + 2 + 0x40;
                EXPECT_EQ(cpu.PackCCR(), 0xC0 | ccr);
            }
            EXPECT_EQ(fellThrough, !Is(e, "BRA"));
            EXPECT_EQ(took, !Is(e, "BRN"));
        } else {
            Step();
            EXPECT_EQ(cpu.PC, kAt + e.Size);
            EXPECT_EQ(cpu.D, cpu.A << 8 | cpu.B);
        }
    }
}

// The table's flag column (H I N Z V C): '-' must stay, '0' and '1' must be forced.
TEST_F(OpcodeWalkTest, FlagColumnMatchesWhatTheEngineDoes) {
    for (const IsaEntry& e : IsaTable()) {
        if (Is(e, "WAI") || Is(e, "RTI") || Is(e, "TAP")) continue; // take all flags from data
        SCOPED_TRACE(std::string(e.Mnemonic) + " opcode " + std::to_string(e.Opcode));
        ASSERT_EQ(std::strlen(e.Flags), 6u);
        for (uint8_t before : {uint8_t{0x00}, uint8_t{0x2F}, uint8_t{0x3F}, uint8_t{0x15}}) {
            for (uint8_t a : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0x80}, uint8_t{0xFF}}) {
                Prepare(e);
                SetA(a);
                SetB(static_cast<uint8_t>(a ^ 0x5A));
                cpu.UnpackCCR(before);
                Step();
                const uint8_t after = cpu.PackCCR();
                for (int i = 0; i < 6; ++i) {
                    const uint8_t bit = static_cast<uint8_t>(0x20 >> i);
                    const char how = e.Flags[i];
                    if (how == '-' || (how == 'S' && (before & 0x10))) {
                        EXPECT_EQ(after & bit, before & bit) << "flag "
                                                             << "HINZVC"[i] << " ccr " << int(before);
                    } else if (how == '0') {
                        EXPECT_EQ(after & bit, 0) << "flag "
                                                  << "HINZVC"[i];
                    } else if (how == '1') {
                        EXPECT_EQ(after & bit, bit) << "flag "
                                                    << "HINZVC"[i];
                    }
                }
            }
        }
    }
}

TEST_F(OpcodeWalkTest, EveryOtherByteChangesNothing) {
    std::set<uint8_t> listed;
    for (const IsaEntry& e : IsaTable())
        if (!Is(e, "WAI")) listed.insert(e.Opcode);

    auto snapshot = std::make_unique<TMemory>();
    int unexecuted = 0;
    for (int op = 0; op < 256; ++op) {
        if (listed.count(static_cast<uint8_t>(op))) continue;
        ++unexecuted;
        SCOPED_TRACE("opcode " + std::to_string(op));
        IsaEntry e{"", AddressingMode::Inherent, static_cast<uint8_t>(op), 1, 0, "", ""};
        Prepare(e);
        cpu.UnpackCCR(0x2A);
        cpu.Pending.set(InterruptSource::IRQ); // masked: stays pending
        cpu.I = true;
        snapshot->Cells = memory->Cells;
        const uint8_t ccr = cpu.PackCCR();
        Step();
        EXPECT_EQ(cpu.PC, kAt);
        EXPECT_EQ(cpu.A, 0x12);
        EXPECT_EQ(cpu.B, 0x34);
        EXPECT_EQ(cpu.D, 0x1234);
        EXPECT_EQ(cpu.X, 0x3000);
        EXPECT_EQ(cpu.SP, 0x0200);
        EXPECT_EQ(cpu.PackCCR(), ccr);
        EXPECT_EQ(cpu.Pending.count(), 1u);
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(std::memcmp(snapshot->Cells.data(), memory->Cells.data(), sizeof(memory->Cells)) == 0);
    }
    EXPECT_EQ(unexecuted, 37);
}

} // namespace
