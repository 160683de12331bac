#pragma once
// Readers of the two binary instruction-set tables in the program directory:
// bin/ukazi.red (mnemonics, addressing modes, opcodes, lengths) for the assembler and
// bin/ukazi.dat (one display text per opcode value) for the instruction grid.
#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "isa/codes.h"

// A table file that is missing, unreadable or malformed. The message is Slovenian (UTF-8)
// and names the file.
class TableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One addressing mode of an instruction (9 bytes in the file).
struct ModeEntry {
    uint8_t Reserved[6] = {};
    uint8_t Opcode = 0;
    uint8_t Mode = 0; // AddressingMode number 0..5, as stored in the file
    uint8_t Size = 0; // whole instruction length incl. the opcode; 0 = mode not available
};

// One instruction mnemonic with up to four addressing modes (43 bytes in the file).
struct InstructionEntry {
    uint8_t Length = 0;    // mnemonic length 0..5
    char Mnemonic[5] = {}; // upper case, first Length characters valid
    uint8_t ModeCount = 0; // valid entries in Modes, 0..4
    ModeEntry Modes[4] = {};

    std::string_view Name() const { return {Mnemonic, Length}; }
    // First entry (within ModeCount) with the given mode, or nullptr.
    const ModeEntry* FindMode(AddressingMode mode) const {
        for (int i = 0; i < ModeCount; ++i)
            if (Modes[i].Mode == static_cast<uint8_t>(mode)) return &Modes[i];
        return nullptr;
    }
};

// Display text of one opcode value (17 bytes in the file); Length 0 = not an opcode.
struct OpcodeText {
    uint8_t Length = 0;
    char Text[16] = {};

    std::string_view View() const { return {Text, Length}; }
};

// The assembler's instruction table, read whole from bin/ukazi.red at construction.
// The file must hold exactly 117 or 118 records of 43 bytes with sane fields; anything else
// throws TableError instead of being read as garbage.
class TUkaziFast {
public:
    static constexpr size_t RecordSize = 43;
    static constexpr size_t MinRecords = 117;
    static constexpr size_t MaxRecords = 118;

    explicit TUkaziFast(const std::string& path);

    // Looks up an (upper-case) mnemonic, exact and case-sensitive. The first record of that
    // name wins. Not found: returns false and entry.ModeCount is 0.
    bool FindInstruction(std::string_view mnemonic, InstructionEntry& entry) const;
    // The same without copying; nullptr when not found.
    const InstructionEntry* Find(std::string_view mnemonic) const;

    size_t Count() const { return count_; }
    const InstructionEntry& Record(size_t i) const { return records_.at(i); }

private:
    std::array<InstructionEntry, MaxRecords> records_{};
    size_t count_ = 0;
    // Open-addressed hash index: key = packed mnemonic, value = record number + 1 (0 = free).
    static constexpr size_t IndexSize = 512;
    std::array<uint64_t, IndexSize> keys_{};
    std::array<uint8_t, IndexSize> slots_{};
};

// The opcode-name table, read whole from bin/ukazi.dat: exactly 256 records of 17 bytes.
class TUkazi {
public:
    static constexpr size_t RecordSize = 17;
    static constexpr size_t Records = 256;

    explicit TUkazi(const std::string& path);

    const OpcodeText& GetOpcodeText(uint8_t opcode) const { return records_[opcode]; }

private:
    std::array<OpcodeText, Records> records_{};
};
