#pragma once
// The MC6803 instruction set as data (rows of mc6803.def) and the lists derived from it.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "isa/codes.h"

struct IsaEntry {
    const char* Mnemonic; // canonical upper-case mnemonic
    AddressingMode Mode;
    uint8_t Opcode;
    uint8_t Size;            // whole instruction length including the opcode
    uint8_t Cycles;          // MC6803 bus cycles
    const char* Flags;       // six characters for H I N Z V C: - * 0 1 S
    const char* Description; // short Slovenian description, UTF-8
};

// E-clock cycles of a hardware interrupt's entry (IRQ, NMI and the on-chip sources): it stacks
// the seven register bytes and fetches the vector like SWI, and takes SWI's 12 cycles.
inline constexpr uint8_t IsaInterruptEntryCycles = 12;

// All rows in table order.
std::span<const IsaEntry> IsaTable();

// The 118 distinct mnemonics in order of first appearance in the table.
std::vector<std::string> IsaMnemonics();

// The editor's keywords: the mnemonics, the assembler directives and the aliases marked as
// keywords, the LSL spellings (131).
std::vector<std::string> IsaKeywords();

// IsaKeywords() plus the other aliases (the branch spellings BHS and BLO), offered by word
// completion.
std::vector<std::string> IsaCompletionWords();

// The row of an opcode byte, or nullptr when the byte is not an instruction.
const IsaEntry* IsaFindOpcode(uint8_t opcode);

// Display text of an opcode ("LDAA #", "STX ind,X", "BNE rel", "ABA"); at most
// IsaOpcodeTextMax characters, empty when the byte is not an instruction.
std::string IsaOpcodeText(uint8_t opcode);
inline constexpr std::size_t IsaOpcodeTextMax = 16;

// Short Slovenian name of an addressing mode ("takojšnje", ...); "" for None.
const char* IsaModeName(AddressingMode mode);

// Assembler spellings that stand for a canonical mnemonic. Keyword: the editor colours it as a
// keyword (the LSL spellings); the others are only offered by completion.
struct IsaAlias {
    const char* Alias;
    const char* Canonical;
    bool Keyword;
};
std::span<const IsaAlias> IsaAliases();

// The assembler's directives, by name.
enum class IsaDirective : uint8_t { End, Equ, Fcb, Fcc, Fdb, Nam, Org, Rmb, Sm };
struct IsaDirectiveName {
    const char* Name;
    IsaDirective Directive;
};
// In alphabetical order, as the editor's keyword list has them.
std::span<const IsaDirectiveName> IsaDirectives();
