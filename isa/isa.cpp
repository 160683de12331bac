#include "isa/isa.h"

#include <array>
#include <string_view>

namespace {

constexpr IsaEntry kTable[] = {
#define ISA(mnemonic, mode, opcode, size, cycles, flags, description)                                        \
    {#mnemonic, AddressingMode::mode, opcode, size, cycles, flags, description},
#include "isa/mc6803.def"
#undef ISA
};

constexpr IsaDirectiveName kDirectives[] = {
    {"END", IsaDirective::End}, {"EQU", IsaDirective::Equ}, {"FCB", IsaDirective::Fcb},
    {"FCC", IsaDirective::Fcc}, {"FDB", IsaDirective::Fdb}, {"NAM", IsaDirective::Nam},
    {"ORG", IsaDirective::Org}, {"RMB", IsaDirective::Rmb}, {"SM", IsaDirective::Sm},
};

constexpr IsaAlias kAliases[] = {
    {"LSL", "ASL", true},   {"LSLA", "ASLA", true}, {"LSLB", "ASLB", true},
    {"LSLD", "ASLD", true}, {"BHS", "BCC", false},  {"BLO", "BCS", false},
};

// Opcode byte -> index into kTable + 1 (0: not an instruction).
constexpr std::array<uint8_t, 256> BuildOpcodeIndex() {
    std::array<uint8_t, 256> index{};
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        index[kTable[i].Opcode] = static_cast<uint8_t>(i + 1);
    return index;
}
constexpr std::array<uint8_t, 256> kOpcodeIndex = BuildOpcodeIndex();

static_assert(std::size(kTable) < 256, "the opcode index stores row numbers in a byte");

constexpr bool NoOpcodeTwice() {
    std::array<bool, 256> seen{};
    for (const IsaEntry& e : kTable) {
        if (seen[e.Opcode]) return false;
        seen[e.Opcode] = true;
    }
    return true;
}
static_assert(NoOpcodeTwice(), "an opcode appears in two rows of mc6803.def");

} // namespace

std::span<const IsaEntry> IsaTable() { return kTable; }

std::vector<std::string> IsaMnemonics() {
    std::vector<std::string> names;
    for (const IsaEntry& e : kTable) {
        bool known = false;
        for (const std::string& n : names) {
            if (n == e.Mnemonic) {
                known = true;
                break;
            }
        }
        if (!known) names.emplace_back(e.Mnemonic);
    }
    return names;
}

std::vector<std::string> IsaKeywords() {
    std::vector<std::string> words = IsaMnemonics();
    for (const IsaDirectiveName& d : kDirectives)
        words.emplace_back(d.Name);
    for (const IsaAlias& a : kAliases)
        if (a.Keyword) words.emplace_back(a.Alias);
    return words;
}

std::vector<std::string> IsaCompletionWords() {
    std::vector<std::string> words = IsaKeywords();
    for (const IsaAlias& a : kAliases)
        if (!a.Keyword) words.emplace_back(a.Alias);
    return words;
}

const IsaEntry* IsaFindOpcode(uint8_t opcode) {
    uint8_t i = kOpcodeIndex[opcode];
    return i == 0 ? nullptr : &kTable[i - 1];
}

std::string IsaOpcodeText(uint8_t opcode) {
    const IsaEntry* e = IsaFindOpcode(opcode);
    if (e == nullptr) return {};
    std::string text = e->Mnemonic;
    switch (e->Mode) {
    case AddressingMode::Inherent:
        break;
    case AddressingMode::Immediate:
        text += " #";
        break;
    case AddressingMode::Direct:
        text += " dir";
        break;
    case AddressingMode::Extended:
        text += " ext";
        break;
    case AddressingMode::Indexed:
        text += " ind,X";
        break;
    case AddressingMode::Relative:
        text += " rel";
        break;
    case AddressingMode::None:
        break;
    }
    return text;
}

const char* IsaModeName(AddressingMode mode) {
    switch (mode) {
    case AddressingMode::Inherent:
        return "vsebovano";
    case AddressingMode::Immediate:
        return "takojšnje";
    case AddressingMode::Direct:
        return "neposredno";
    case AddressingMode::Extended:
        return "razširjeno";
    case AddressingMode::Indexed:
        return "indeksno";
    case AddressingMode::Relative:
        return "relativno";
    case AddressingMode::None:
        break;
    }
    return "";
}

std::span<const IsaAlias> IsaAliases() { return kAliases; }

std::span<const IsaDirectiveName> IsaDirectives() { return kDirectives; }
