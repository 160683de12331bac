#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "isa/isa.h"

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// The editor's keyword list: 118 mnemonics, 9 directives, 4 LSL spellings.
std::vector<std::string> ExpectedKeywords() { return ReadLines(ORLEK_TEST_DATA "/isa/keywords.txt"); }

bool IsBranch(const std::string& m) {
    static const std::set<std::string> branches = {"BRA", "BRN", "BHI", "BLS", "BCC", "BCS",
                                                   "BNE", "BEQ", "BVC", "BVS", "BPL", "BMI",
                                                   "BGE", "BLT", "BGT", "BLE", "BSR"};
    return branches.count(m) != 0;
}

std::map<std::string, std::vector<const IsaEntry*>> ByMnemonic() {
    std::map<std::string, std::vector<const IsaEntry*>> map;
    for (const IsaEntry& e : IsaTable())
        map[e.Mnemonic].push_back(&e);
    return map;
}

const IsaEntry& Row(const std::string& mnemonic, AddressingMode mode) {
    for (const IsaEntry& e : IsaTable()) {
        if (mnemonic == e.Mnemonic && e.Mode == mode) return e;
    }
    ADD_FAILURE() << "no row " << mnemonic << " mode " << static_cast<int>(mode);
    static const IsaEntry none{"", AddressingMode::None, 0, 0, 0, "", ""};
    return none;
}

} // namespace

TEST(IsaTableTest, MnemonicsAndKeywordsMatchTheEditorList) {
    std::vector<std::string> expected = ExpectedKeywords();
    ASSERT_EQ(expected.size(), 131u);
    EXPECT_EQ(IsaKeywords(), expected);

    std::vector<std::string> mnemonics = IsaMnemonics();
    ASSERT_EQ(mnemonics.size(), 118u);
    EXPECT_EQ(mnemonics, std::vector<std::string>(expected.begin(), expected.begin() + 118));
    EXPECT_EQ(std::set<std::string>(mnemonics.begin(), mnemonics.end()).size(), 118u);

    std::vector<std::string> completion = IsaCompletionWords();
    expected.push_back("BHS");
    expected.push_back("BLO");
    EXPECT_EQ(completion, expected);
}

TEST(IsaTableTest, EveryOpcodeOnceAndExactlyTheUndefinedBytesEmpty) {
    EXPECT_EQ(IsaTable().size(), 220u);
    std::array<int, 256> uses{};
    for (const IsaEntry& e : IsaTable())
        ++uses[e.Opcode];

    // Bytes that are not MC6803 instructions ($3E is WAI and is listed).
    const std::set<int> undefined = {0x00, 0x02, 0x03, 0x12, 0x13, 0x14, 0x15, 0x18, 0x1A, 0x1C, 0x1D, 0x1E,
                                     0x1F, 0x41, 0x42, 0x45, 0x4B, 0x4E, 0x51, 0x52, 0x55, 0x5B, 0x5E, 0x61,
                                     0x62, 0x65, 0x6B, 0x71, 0x72, 0x75, 0x7B, 0x87, 0x8F, 0xC7, 0xCD, 0xCF};
    ASSERT_EQ(undefined.size(), 36u);
    for (int op = 0; op < 256; ++op) {
        EXPECT_EQ(uses[op], undefined.count(op) ? 0 : 1) << "opcode " << op;
        const IsaEntry* e = IsaFindOpcode(static_cast<uint8_t>(op));
        if (undefined.count(op)) {
            EXPECT_EQ(e, nullptr) << op;
            EXPECT_EQ(IsaOpcodeText(static_cast<uint8_t>(op)), "") << op;
        } else {
            ASSERT_NE(e, nullptr) << op;
            EXPECT_EQ(e->Opcode, op);
        }
    }
}

TEST(IsaTableTest, ModesPerMnemonicFitARecord) {
    for (const auto& [mnemonic, rows] : ByMnemonic()) {
        EXPECT_GE(rows.size(), 1u) << mnemonic;
        EXPECT_LE(rows.size(), 4u) << mnemonic;
        EXPECT_LE(mnemonic.size(), 5u) << mnemonic;
        std::set<AddressingMode> modes;
        for (const IsaEntry* e : rows) {
            EXPECT_LE(e->Mode, AddressingMode::Relative) << mnemonic;
            EXPECT_TRUE(modes.insert(e->Mode).second)
                << mnemonic << " has mode " << static_cast<int>(e->Mode) << " twice";
            // The data sheet gives flags per instruction, not per addressing mode.
            EXPECT_STREQ(e->Flags, rows.front()->Flags) << mnemonic;
            EXPECT_STREQ(e->Description, rows.front()->Description) << mnemonic;
        }
    }
}

TEST(IsaTableTest, BranchesHaveExactlyOneRelativeEntry) {
    for (const auto& [mnemonic, rows] : ByMnemonic()) {
        bool relative = false;
        for (const IsaEntry* e : rows)
            relative |= e->Mode == AddressingMode::Relative;
        if (IsBranch(mnemonic)) {
            ASSERT_EQ(rows.size(), 1u) << mnemonic;
            EXPECT_EQ(rows[0]->Mode, AddressingMode::Relative) << mnemonic;
            EXPECT_EQ(rows[0]->Size, 2) << mnemonic;
        } else {
            EXPECT_FALSE(relative) << mnemonic;
        }
    }
}

TEST(IsaTableTest, SizesAgreeWithModes) {
    const std::set<std::string> wide = {"SUBD", "ADDD", "CPX", "LDD", "LDS", "LDX"};
    for (const IsaEntry& e : IsaTable()) {
        int expected = 0;
        switch (e.Mode) {
        case AddressingMode::Inherent:
            expected = 1;
            break;
        case AddressingMode::Immediate:
            expected = wide.count(e.Mnemonic) ? 3 : 2;
            break;
        case AddressingMode::Direct:
        case AddressingMode::Indexed:
        case AddressingMode::Relative:
            expected = 2;
            break;
        case AddressingMode::Extended:
            expected = 3;
            break;
        case AddressingMode::None:
            break;
        }
        EXPECT_EQ(e.Size, expected) << e.Mnemonic << " mode " << static_cast<int>(e.Mode);
    }
}

// The opcode map is regular: the column of an opcode fixes its mode, and the $8x-$Bx half holds
// the A (and X/S/D-subtract) forms, the $Cx-$Fx half the B (and D/X-load) forms.
TEST(IsaTableTest, OpcodeMapColumnsFixTheMode) {
    for (const IsaEntry& e : IsaTable()) {
        const int hi = e.Opcode >> 4;
        std::string m = e.Mnemonic;
        if (hi <= 0x3) {
            EXPECT_EQ(e.Mode, hi == 2 ? AddressingMode::Relative : AddressingMode::Inherent) << m;
        } else if (hi == 0x4 || hi == 0x5) {
            EXPECT_EQ(e.Mode, AddressingMode::Inherent) << m;
            EXPECT_EQ(m.back(), hi == 0x4 ? 'A' : 'B') << m;
        } else if (hi == 0x6 || hi == 0x7) {
            EXPECT_EQ(e.Mode, hi == 0x6 ? AddressingMode::Indexed : AddressingMode::Extended) << m;
            // Memory form of the accumulator row 4x/5x, same low nibble.
            if (m != "JMP") {
                const IsaEntry* a = IsaFindOpcode(static_cast<uint8_t>(0x40 | (e.Opcode & 0x0F)));
                ASSERT_NE(a, nullptr) << m;
                EXPECT_EQ(std::string(a->Mnemonic), m + "A");
            }
        } else if (e.Opcode == 0x8D) {
            EXPECT_EQ(m, "BSR");
        } else {
            const AddressingMode modes[] = {AddressingMode::Immediate, AddressingMode::Direct,
                                            AddressingMode::Indexed, AddressingMode::Extended};
            EXPECT_EQ(e.Mode, modes[hi & 3]) << m;
            // Same low nibble in every column: the same operation.
            for (int col = 0; col < 4; ++col) {
                const IsaEntry* other =
                    IsaFindOpcode(static_cast<uint8_t>(((hi & 0xC) | col) << 4 | (e.Opcode & 0x0F)));
                if (other != nullptr && other->Opcode != 0x8D) {
                    EXPECT_STREQ(other->Mnemonic, e.Mnemonic) << m;
                }
            }
        }
    }
}

TEST(IsaTableTest, SpotChecksAgainstTheDataSheet) {
    struct Spot {
        const char* mnemonic;
        AddressingMode mode;
        uint8_t opcode, size, cycles;
    };
    const Spot spots[] = {
        {"LDAA", AddressingMode::Extended, 0xB6, 3, 4},  {"LDAA", AddressingMode::Immediate, 0x86, 2, 2},
        {"ADDD", AddressingMode::Immediate, 0xC3, 3, 4}, {"SUBD", AddressingMode::Indexed, 0xA3, 2, 6},
        {"CPX", AddressingMode::Immediate, 0x8C, 3, 4},  {"LDX", AddressingMode::Immediate, 0xCE, 3, 3},
        {"LDS", AddressingMode::Direct, 0x9E, 2, 4},     {"STD", AddressingMode::Extended, 0xFD, 3, 5},
        {"JSR", AddressingMode::Direct, 0x9D, 2, 5},     {"JSR", AddressingMode::Indexed, 0xAD, 2, 6},
        {"JSR", AddressingMode::Extended, 0xBD, 3, 6},   {"JMP", AddressingMode::Indexed, 0x6E, 2, 3},
        {"BSR", AddressingMode::Relative, 0x8D, 2, 6},   {"BRA", AddressingMode::Relative, 0x20, 2, 3},
        {"WAI", AddressingMode::Inherent, 0x3E, 1, 9},   {"ABX", AddressingMode::Inherent, 0x3A, 1, 3},
        {"MUL", AddressingMode::Inherent, 0x3D, 1, 10},  {"PSHX", AddressingMode::Inherent, 0x3C, 1, 4},
        {"PULX", AddressingMode::Inherent, 0x38, 1, 5},  {"RTS", AddressingMode::Inherent, 0x39, 1, 5},
        {"RTI", AddressingMode::Inherent, 0x3B, 1, 10},  {"SWI", AddressingMode::Inherent, 0x3F, 1, 12},
        {"LSRD", AddressingMode::Inherent, 0x04, 1, 3},  {"ASLD", AddressingMode::Inherent, 0x05, 1, 3},
        {"CLR", AddressingMode::Extended, 0x7F, 3, 6},   {"TST", AddressingMode::Indexed, 0x6D, 2, 6},
    };
    for (const Spot& s : spots) {
        const IsaEntry& e = Row(s.mnemonic, s.mode);
        EXPECT_EQ(e.Opcode, s.opcode) << s.mnemonic;
        EXPECT_EQ(e.Size, s.size) << s.mnemonic;
        EXPECT_EQ(e.Cycles, s.cycles) << s.mnemonic;
    }
    // Stores have no immediate form.
    for (const char* store : {"STAA", "STAB", "STD", "STS", "STX"}) {
        for (const IsaEntry& e : IsaTable()) {
            if (std::string(e.Mnemonic) == store) {
                EXPECT_NE(e.Mode, AddressingMode::Immediate) << store;
            }
        }
    }
    EXPECT_STREQ(Row("CLRA", AddressingMode::Inherent).Flags, "--0100");
    EXPECT_STREQ(Row("ADDA", AddressingMode::Direct).Flags, "*-****");
    EXPECT_STREQ(Row("LSR", AddressingMode::Extended).Flags, "--0***");
    EXPECT_STREQ(Row("MUL", AddressingMode::Inherent).Flags, "-----*");
    EXPECT_STREQ(Row("INX", AddressingMode::Inherent).Flags, "---*--");
}

TEST(IsaTableTest, FlagsAndDescriptionsAreWellFormed) {
    for (const IsaEntry& e : IsaTable()) {
        std::string flags = e.Flags;
        ASSERT_EQ(flags.size(), 6u) << e.Mnemonic;
        EXPECT_EQ(flags.find_first_not_of("-*01S"), std::string::npos) << e.Mnemonic;
        EXPECT_GT(std::string(e.Description).size(), 3u) << e.Mnemonic;
        EXPECT_GT(e.Cycles, 1) << e.Mnemonic;
    }
}

TEST(IsaTableTest, OpcodeTextsAreShortAndDistinct) {
    std::set<std::string> seen;
    for (const IsaEntry& e : IsaTable()) {
        std::string text = IsaOpcodeText(e.Opcode);
        EXPECT_FALSE(text.empty());
        EXPECT_LE(text.size(), IsaOpcodeTextMax) << text;
        EXPECT_EQ(text.rfind(e.Mnemonic, 0), 0u) << text;
        EXPECT_TRUE(seen.insert(text).second) << text << " shown for two opcodes";
    }
    EXPECT_EQ(IsaOpcodeText(0x86), "LDAA #");
    EXPECT_EQ(IsaOpcodeText(0x1B), "ABA");
    EXPECT_EQ(IsaOpcodeText(0x20), "BRA rel");
}
